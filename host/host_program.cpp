#include "host/host_program.h"

#include <cerrno>
#include <cstdlib>

#include "common/module_path.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

bool ReadHandle(const char*& text, Handle& handle) {
    while (*text == ' ') ++text;
    if (*text < '0' || *text > '9') return false;
    char* end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(text, &end, 10);
    if (errno == ERANGE || value == 0 || value != static_cast<Handle>(value)) return false;
    handle = static_cast<Handle>(value);
    text = end;
    return true;
}

// The host of a tray program that has just ended may still be unhooking:
// wait for it a while rather than give up at once.
bool BecomeTheOnlyHost(SystemApi& system) {
    Handle mutex = system.CreateMutexA(nullptr, true, HostMutexName);
    if (mutex == 0 || system.GetLastError() != static_cast<std::uint32_t>(ERROR_ALREADY_EXISTS)) {
        return true;
    }
    std::uint32_t result = system.WaitForSingleObject(mutex, HostMutexWait);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) return true;
    system.CloseHandle(mutex);
    return false;
}

// Pumps messages, which carries the hook's calls made in this thread, until
// the tray program's process ends or WM_QUIT arrives.
void RunUntilTrayEnds(WindowApi& windows, Handle tray) {
    for (;;) {
        std::uint32_t woke = windows.MsgWaitForMultipleObjects(1, &tray, false, INFINITE, QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1) return;
        Message message{};
        while (windows.PeekMessageA(&message, 0, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return;
            windows.TranslateMessage(&message);
            windows.DispatchMessageA(&message);
        }
    }
}

// Loaded at run time rather than imported: without the library the host
// ends with an exit code instead of the loader's error box.
InstallFunction LoadInstall(SystemApi& system, Instance module) {
    std::string path = DirectoryPart(ModulePath(system, module)) + HostLibrary;
    Instance library = system.LoadLibraryA(path.c_str());
    if (library == 0) return nullptr;
    return reinterpret_cast<InstallFunction>(system.GetProcAddress(library, InstallOrdinal));
}

}  // namespace

bool ParseHostArguments(const std::string& commandLine, HostArguments& arguments) {
    const char* text = commandLine.c_str();
    HostArguments read;
    if (!ReadHandle(text, read.tray) || !ReadHandle(text, read.ready)) return false;
    while (*text == ' ') ++text;
    if (*text != '\0') return false;
    arguments = read;
    return true;
}

int RunHost(Platform& platform, Instance module, const std::string& commandLine) {
    HostArguments arguments;
    if (!ParseHostArguments(commandLine, arguments)) return HostExitBadArguments;
    if (!BecomeTheOnlyHost(platform.system)) return HostExitAlreadyRunning;
    InstallFunction install = LoadInstall(platform.system, module);
    if (!install) return HostExitNoLibrary;
    if (install(1) == 0) return HostExitNoHook;
    platform.system.SetEvent(arguments.ready);
    RunUntilTrayEnds(platform.windows, arguments.tray);
    install(0);
    return HostExitNormal;
}
