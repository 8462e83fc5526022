#include "tray/prev_inst.h"

#include "common/module_path.h"
#include "platform/win_constants.h"

using namespace win;

// Windows compares file names without regard to case.
std::string ExeBaseName(Platform& platform, Instance module) {
    constexpr std::string_view Extension = ".EXE";
    std::string name = FileNamePart(ModulePath(platform.system, module));
    platform.windows.CharUpperBuffA(name.data(), static_cast<std::uint32_t>(name.size()));
    if (name.ends_with(Extension)) name.resize(name.size() - Extension.size());
    return name;
}

bool CheckPrevInstance(Platform& platform, Instance module) {
    SystemApi& system = platform.system;
    Handle mutex = system.CreateMutexA(nullptr, true, ExeBaseName(platform, module).c_str());
    if (mutex != 0 && system.GetLastError() == static_cast<std::uint32_t>(ERROR_ALREADY_EXISTS)) {
        system.CloseHandle(mutex);
        return true;
    }
    return false;
}
