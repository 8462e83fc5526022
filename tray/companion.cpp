#include "tray/companion.h"

#include <string>

#include "common/module_path.h"
#include "host/host_program.h"
#include "platform/win_constants.h"
#include "tray/tray_program.h"

using namespace win;

namespace {

bool RunsUnderWow64(SystemApi& system) {
    bool wow64 = false;
    return system.IsWow64Process(system.GetCurrentProcess(), &wow64) && wow64;
}

// The host inherits a handle to this process, to end when it ends however
// it ends, and an event it signals once its hook is in place.
bool LaunchHost(TTrayProgram& program, const std::string& folder, TCompanion& companion) {
    SystemApi& system = program.Api.system;
    std::string path = folder + HostProgram;
    Handle self = system.OpenProcess(SYNCHRONIZE, true, system.GetCurrentProcessId());
    Handle ready = system.CreateEventA(true, true, false, nullptr);
    std::string commandLine = "\"" + path + "\" " + std::to_string(self) + " " + std::to_string(ready);
    ProcessInformation started{};
    bool running = system.CreateProcessA(path.c_str(), commandLine.data(), true, 0, folder.c_str(),
                                         &started);
    if (running) {
        system.CloseHandle(started.thread);
        Handle waitFor[] = {ready, started.process};
        running = system.WaitForMultipleObjects(2, waitFor, false, CompanionStartLimit) == WAIT_OBJECT_0;
        if (running) {
            companion = TCompanion{started.process, started.threadId};
        } else {
            system.CloseHandle(started.process);
        }
    }
    system.CloseHandle(ready);
    system.CloseHandle(self);
    return running;
}

}  // namespace

void StartCompanion(TTrayProgram& program) {
    if (!RunsUnderWow64(program.Api.system)) return;
    std::string folder = DirectoryPart(ModulePath(program.Api.system, program.Module));
    if (!LaunchHost(program, folder, program.Companion)) program.Api.windows.MessageBeep(MB_SIMPLE_BEEP);
}

void EndCompanion(TTrayProgram& program) {
    TCompanion& companion = program.Companion;
    if (companion.Process == 0) return;
    program.Api.windows.PostThreadMessageA(companion.ThreadId, WM_QUIT, 0, 0);
    program.Api.system.WaitForSingleObject(companion.Process, CompanionEndLimit);
    program.Api.system.CloseHandle(companion.Process);
    companion = TCompanion{};
}
