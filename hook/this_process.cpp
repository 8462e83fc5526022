#include "hook/this_process.h"

namespace {
THookProcess* Current = nullptr;
// A plain pointer: no destructor of the library's may run while the process
// ends.
THookProcess* Made = nullptr;
THookProcess* (*Creator)() = nullptr;
}  // namespace

void SetProcessCreator(THookProcess* (*creator)()) { Creator = creator; }

void SetThisProcess(THookProcess* process) { Current = process; }

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
