// Entry points of Zolhook.dll. DllMain only notes the module handle and how
// to make the library's per-process state: the loader lock forbids registry
// calls there, so the state is made on the first call into the library.
#include <cstdint>

#include "hook/hook_procedure.h"
#include "hook/this_process.h"
#include "platform/win32/win32_platform.h"
#include "platform/win_types.h"

namespace {

win::Instance LibraryInstance = 0;

THookProcess* CreateWin32Process() { return new THookProcess(win::Win32Platform(), LibraryInstance); }

}  // namespace

extern "C" int ZV_STDCALL DllMain(win::Instance instance, std::uint32_t reason, void*) {
    constexpr std::uint32_t DllProcessAttach = 1;
    if (reason == DllProcessAttach) {
        LibraryInstance = instance;
        SetProcessCreator(CreateWin32Process);
    }
    return 1;
}

// Exported as "Install", ordinal 10. No C++ error may leave the library.
extern "C" win::HookHandle ZV_STDCALL ZolhookInstall(std::uint8_t install) {
    try {
        return Install(ThisProcess(), install);
    } catch (...) {
        return 0;
    }
}
