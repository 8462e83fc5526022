// Entry point of Zolvik32.exe: the tray program over the real platform,
// with the hook library imported from Zolhook.dll by ordinal.
#include <cstdint>

#include "common/library_error.h"
#include "platform/win32/win32_platform.h"
#include "platform/win_types.h"
#include "tray/hook_library.h"
#include "tray/tray_program.h"

extern "C" {
win::HookHandle ZV_STDCALL Install(std::uint8_t install);
std::uint8_t ZV_STDCALL PlaySound(std::uint8_t event);
std::uint8_t ZV_STDCALL TakeLibraryError(TLibraryError* error);
win::HookHandle ZV_STDCALL InstallLowLevel(std::uint8_t what);
}

namespace {

class ImportedHookLibrary final : public HookLibrary {
public:
    win::HookHandle Install(std::uint8_t install) override { return ::Install(install); }
    bool PlaySound(std::uint8_t event) override { return ::PlaySound(event) != 0; }
    bool TakeLibraryError(TLibraryError& error) override { return ::TakeLibraryError(&error) != 0; }
    win::HookHandle InstallLowLevel(std::uint8_t what) override { return ::InstallLowLevel(what); }
};

}  // namespace

extern "C" int ZV_STDCALL WinMain(win::Instance instance, win::Instance, char* commandLine, int) {
    ImportedHookLibrary library;
    TTrayProgram program(win::Win32Platform(), instance, library);
    return RunTrayProgram(program, commandLine ? commandLine : "");
}
