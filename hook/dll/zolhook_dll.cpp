// Entry points of Zolhook.dll. DllMain only notes the module handle and how
// to make the library's per-process state: the loader lock forbids registry
// calls there, so the state is made on the first call into the library. On
// unloading it frees that state again. The 32-bit library also keeps its
// unwind tables known to its own unwinder; the 64-bit one unwinds through
// the SEH tables of the image, which the start-up code does not hand out.
#include <cstdint>

#include "common/library_error.h"
#if defined(__i386__)
#include "hook/dll/unwind_tables.h"
#endif
#include "hook/hook_procedure.h"
#include "hook/low_level_hook.h"
#include "hook/macro_commands.h"
#include "hook/sound_playback.h"
#include "hook/this_process.h"
#include "platform/win32/win32_platform.h"
#include "platform/win_types.h"

namespace {

win::Instance LibraryInstance = 0;

// Only the tray program's single thread plays sounds, so one pending error
// per process is enough.
TLibraryError PendingError{};
bool ErrorPending = false;

// The hook chain is known before the state is made, which may fail.
THookProcess* CreateWin32Process() {
    SetHooksWithoutState(win::Win32Platform().hooks);
    return new THookProcess(win::Win32Platform(), LibraryInstance);
}

}  // namespace

// A reserved argument other than null at detaching says that the process is
// ending rather than the library being unloaded from it.
extern "C" int ZV_STDCALL DllMain(win::Instance instance, std::uint32_t reason, void* reserved) {
    constexpr std::uint32_t DllProcessDetach = 0;
    constexpr std::uint32_t DllProcessAttach = 1;
    if (reason == DllProcessAttach) {
        LibraryInstance = instance;
#if defined(__i386__)
        KeepUnwindTablesOwn(instance);
#endif
        SetProcessCreator(CreateWin32Process);
    } else if (reason == DllProcessDetach) {
        LibraryUnloading(reserved != nullptr);
#if defined(__i386__)
        ReleaseUnwindTables();
#endif
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

// Exported as "PlaySound", ordinal 13; <mmsystem.h> makes that name a macro,
// so the function has another. 0 tells that an error ended the call, which
// TakeLibraryError then hands over. Without its state the library can play
// nothing, and the call counts as finished.
extern "C" std::uint8_t ZV_STDCALL ZolhookPlaySound(std::uint8_t event) {
    THookProcess* process = nullptr;
    try {
        process = &ThisProcess();
    } catch (...) {
        return 1;
    }
    ErrorPending = !PlaySoundAsData(*process, event, PendingError);
    return ErrorPending ? 0 : 1;
}

// Exported as "TakeLibraryError", ordinal 14.
extern "C" std::uint8_t ZV_STDCALL ZolhookTakeLibraryError(TLibraryError* error) {
    if (!ErrorPending || error == nullptr) return 0;
    *error = PendingError;
    ErrorPending = false;
    return 1;
}

// Exported as "StepAside", ordinal 15: the configuration program asks the
// system to act on no key in its own process for as long as it runs, except
// in its test field.
extern "C" void ZV_STDCALL ZolhookStepAside(win::Window testField) {
    try {
        TStepAside& rule = ThisProcess().StepAside;
        rule.Active = true;
        rule.TestField = testField;
    } catch (...) {
        // Without its state the library acts on no key in this process.
    }
}

// Exported as "TryMacro", ordinal 16: the configuration program's test
// field, which has the focus, gets a stored macro text typed.
extern "C" void ZV_STDCALL ZolhookTryMacro(const char* storedText) {
    try {
        TryMacro(ThisProcess(), storedText ? storedText : "");
    } catch (...) {
        // Nothing is typed.
    }
}

// Exported as "TryMacroW", ordinal 18: the same for a stored text that
// holds any character.
extern "C" void ZV_STDCALL ZolhookTryMacroW(const wchar_t* storedText) {
    try {
        TryMacro(ThisProcess(), std::wstring(storedText ? storedText : L""));
    } catch (...) {
        // Nothing is typed.
    }
}

// Exported as "InstallLowLevel", ordinal 17: the tray program's low-level
// hook, installed, removed or checked from the thread that serves it (see
// InstallLowLevel).
extern "C" win::HookHandle ZV_STDCALL ZolhookInstallLowLevel(std::uint8_t what) {
    try {
        return InstallLowLevel(ThisProcess(), what);
    } catch (...) {
        return 0;
    }
}
