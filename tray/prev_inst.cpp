#include "tray/prev_inst.h"

#include "platform/win_constants.h"

using namespace win;

std::string ExeBaseName(SystemApi& system, Instance module) {
    char path[261] = {};
    system.GetModuleFileNameA(module, path, sizeof path - 1);
    std::string name = path;
    name = name.substr(name.find_last_of('\\') + 1);
    if (name.find(".EXE") != std::string::npos) name.resize(name.size() - 4);
    return name;
}

bool CheckPrevInstance(SystemApi& system, Instance module) {
    Handle mutex = system.CreateMutexA(nullptr, true, ExeBaseName(system, module).c_str());
    if (mutex != 0 && system.GetLastError() == static_cast<std::uint32_t>(ERROR_ALREADY_EXISTS)) {
        system.CloseHandle(mutex);
        return true;
    }
    return false;
}
