#include "tray/prev_inst.h"

#include "common/module_path.h"
#include "platform/win_constants.h"

using namespace win;

std::string ExeBaseName(SystemApi& system, Instance module) {
    std::string name = FileNamePart(ModulePath(system, module));
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
