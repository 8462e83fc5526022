#pragma once
#include "hook/hook_process.h"
#include "platform/platform.h"
#include "platform/win_types.h"

// The library's state in the calling process. The DLL makes it on the first
// call into the library in a process (Install, PlaySound or the hook
// procedure), through the creator its entry point registered; the loader
// lock forbids doing it earlier. A simulated process sets its own.
THookProcess& ThisProcess();
void SetProcessCreator(THookProcess* (*creator)());
void SetThisProcess(THookProcess* process);

// The library is being unloaded from the process. When the process goes
// on, the state the creator made is freed and its settings key closed; the
// next call would make it anew. When the process is ending, nothing is
// touched: Windows frees it all, and the libraries the state calls into
// may already be gone.
void LibraryUnloading(bool processEnding);
