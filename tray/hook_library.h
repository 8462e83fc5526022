#pragma once
#include <cstdint>
#include <exception>

#include "common/library_error.h"
#include "platform/win_types.h"

// The hook library as the tray program calls it: imported from Zolhook.dll
// on Windows, the library's own code over the simulation in tests.
class HookLibrary {
public:
    virtual ~HookLibrary() = default;
    virtual win::HookHandle Install(std::uint8_t install) = 0;
    // The low-level hook, in the calling thread: 1 installs, 0 removes, 2
    // installs again when Windows removed it.
    virtual win::HookHandle InstallLowLevel(std::uint8_t what) = 0;
    // False when an error ended the call; TakeLibraryError then hands it
    // over, on the thread that made the call.
    virtual bool PlaySound(std::uint8_t event) = 0;
    virtual bool TakeLibraryError(TLibraryError& error) = 0;
};

// An error the hook library carried out as data, raised in the tray program.
class ELibraryError : public std::exception {
public:
    explicit ELibraryError(const TLibraryError& error) : Error(error) {}
    const char* what() const noexcept override { return Error.Message; }
    TLibraryError Error;
};
