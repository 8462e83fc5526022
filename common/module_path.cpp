#include "common/module_path.h"

std::string ModulePath(win::SystemApi& system, win::Instance module) {
    char path[260] = {};  // MAX_PATH, the terminating NUL included
    system.GetModuleFileNameA(module, path, sizeof path - 1);
    return path;
}

std::string FileNamePart(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

std::string DirectoryPart(const std::string& path) {
    return path.substr(0, path.size() - FileNamePart(path).size());
}
