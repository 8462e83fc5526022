#pragma once
#include "hook/hook_process.h"
#include "platform/win_types.h"

// The library's state in the calling process. The DLL makes it on the first
// call into the library in a process (Install, PlaySound or the hook
// procedure), through the creator its entry point registered; the loader
// lock forbids doing it earlier. A simulated process sets its own.
THookProcess& ThisProcess();
void SetProcessCreator(THookProcess* (*creator)());
void SetThisProcess(THookProcess* process);

// The procedure Windows calls for every keyboard event: the hook procedure
// of this process's library state.
win::LResult ZV_STDCALL KeyboardHookEntry(int code, win::WParam wParam, win::LParam lParam);
