#include "common/module_path.h"

namespace {

constexpr std::uint32_t MaxPath = 260;  // MAX_PATH, the terminating NUL included

template <class Text>
Text DirectoryOf(const Text& path) {
    return path.substr(0, path.find_last_of(typename Text::value_type('\\')) + 1);
}

}  // namespace

std::string ModulePath(win::SystemApi& system, win::Instance module) {
    char path[MaxPath] = {};
    system.GetModuleFileNameA(module, path, MaxPath - 1);
    return path;
}

std::wstring WideModulePath(win::SystemApi& system, win::Instance module) {
    wchar_t path[MaxPath] = {};
    system.GetModuleFileNameW(module, path, MaxPath - 1);
    return path;
}

std::string ProgramFileOf(win::SystemApi& system, win::Handle process) {
    constexpr std::uint32_t LongestPath = 32768;
    std::string path(LongestPath, '\0');
    std::uint32_t size = LongestPath;
    if (!system.QueryFullProcessImageNameA(process, 0, path.data(), &size)) return std::string();
    path.resize(size);
    return FileNamePart(path);
}

std::string FileNamePart(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

std::string DirectoryPart(const std::string& path) { return DirectoryOf(path); }

std::wstring DirectoryPart(const std::wstring& path) { return DirectoryOf(path); }
