#include "hook/this_process.h"

#include "hook/hook_procedure.h"

namespace {
THookProcess* Current = nullptr;
// A plain pointer: no destructor of the library's may run while the process
// ends.
THookProcess* Made = nullptr;
THookProcess* (*Creator)() = nullptr;
win::HookApi* HooksWithoutState = nullptr;
}  // namespace

void SetProcessCreator(THookProcess* (*creator)()) { Creator = creator; }

void SetThisProcess(THookProcess* process) { Current = process; }

void SetHooksWithoutState(win::HookApi& hooks) { HooksWithoutState = &hooks; }

THookProcess& ThisProcess() {
    if (!Current) {
        Made = Creator();
        Current = Made;
    }
    return *Current;
}

// Freeing the state only frees memory and closes the settings key, a plain
// handle: nothing that loads a library, waits, or sends a message, which the
// loader lock held during unloading forbids.
void LibraryUnloading(bool processEnding) {
    if (processEnding) return;
    if (Current == Made) Current = nullptr;
    delete Made;
    Made = nullptr;
}

// Without its state the library can do nothing for the key but pass it on;
// the chain's next hook is found without a handle.
win::LResult ZV_STDCALL KeyboardHookEntry(int code, win::WParam wParam, win::LParam lParam) {
    THookProcess* process = nullptr;
    try {
        process = &ThisProcess();
    } catch (...) {
        return HooksWithoutState ? HooksWithoutState->CallNextHookEx(0, code, wParam, lParam) : 0;
    }
    return KeyboardHookProc(*process, code, wParam, lParam);
}
