#pragma once
#include <cstdint>

#include "common/library_error.h"
#include "platform/win_types.h"

// The hook library as the tray program calls it: imported from Zolhook.dll
// on Windows, the library's own code over the simulation in tests.
class HookLibrary {
public:
    virtual ~HookLibrary() = default;
    virtual win::HookHandle Install(std::uint8_t install) = 0;
    // False when an error ended the call; TakeLibraryError then hands it over.
    virtual bool PlaySound(std::uint8_t event) = 0;
    virtual bool TakeLibraryError(TLibraryError& error) = 0;
};
