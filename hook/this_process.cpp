#include "hook/this_process.h"

#include "hook/hook_procedure.h"

namespace {
THookProcess* Current = nullptr;
THookProcess* (*Creator)() = nullptr;
}  // namespace

void SetProcessCreator(THookProcess* (*creator)()) { Creator = creator; }

void SetThisProcess(THookProcess* process) { Current = process; }

THookProcess& ThisProcess() {
    if (!Current) Current = Creator();
    return *Current;
}

// Without its state the library can do nothing for the key but let it pass.
win::LResult ZV_STDCALL KeyboardHookEntry(int code, win::WParam wParam, win::LParam lParam) {
    THookProcess* process = nullptr;
    try {
        process = &ThisProcess();
    } catch (...) {
        return 0;
    }
    return KeyboardHookProc(*process, code, wParam, lParam);
}
