#include "platform/sim/sim_system.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/sim/sim_locale.h"
#include "platform/win_constants.h"

namespace sim {

using namespace win;

bool SimSystem::GetVersionExA(OsVersionInfo* info) {
    // Windows refuses a structure whose size field is not filled in.
    if (info->size != sizeof(OsVersionInfo)) {
        lastError_ = ERROR_INVALID_PARAMETER;
        return false;
    }
    info->majorVersion = windowsNT_ ? 5 : 4;
    info->minorVersion = windowsNT_ ? 1 : 10;
    info->buildNumber = windowsNT_ ? 2600 : 2222;
    info->platformId = windowsNT_ ? VER_PLATFORM_WIN32_NT : VER_PLATFORM_WIN32_WINDOWS;
    std::memset(info->servicePack, 0, sizeof info->servicePack);
    return true;
}

void SimSystem::Sleep(std::uint32_t milliseconds) { sleeps_.push_back(milliseconds); }

std::uint32_t SimSystem::WaitForInputIdle(Handle, std::uint32_t) {
    ++idleWaits_;
    return 0;
}

// The pseudo handle of the current process, as Windows gives it.
Handle SimSystem::GetCurrentProcess() { return static_cast<Handle>(-1); }

// A buffer that is too small gets the path cut off without its NUL, and the
// result is the buffer size (Windows XP and later).
std::uint32_t SimSystem::GetModuleFileNameA(Instance module, char* buffer, std::uint32_t size) {
    auto found = modules_.find(module);
    if (found == modules_.end() || size == 0) return 0;
    const std::string& path = found->second;
    if (path.size() >= size) {
        std::memcpy(buffer, path.data(), size);
        return size;
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<std::uint32_t>(path.size());
}

// Only ntdll.dll is looked for, and only Wine's has wine_get_version.
Instance SimSystem::GetModuleHandleA(const char* moduleName) {
    constexpr Instance Ntdll = 0x77F00000;
    std::string name = moduleName ? moduleName : "";
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name == "ntdll.dll" || name == "ntdll" ? Ntdll : 0;
}

bool SimSystem::GetProcAddress(Instance module, const char* procedureName) {
    return module != 0 && wine_ && std::string(procedureName) == "wine_get_version";
}

void SimSystem::GetLocalTime(SystemTime* time) { *time = now_; }

std::uint32_t SimSystem::GetThreadLocale() { return locale_; }

int SimSystem::GetLocaleInfoA(std::uint32_t locale, std::uint32_t type, char* buffer, int size) {
    return LocaleInfo(locale, type, buffer, size);
}

Handle SimSystem::CreateMutexA(void*, bool, const char* name) {
    std::string key = name ? name : "";
    Handle handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = key;
    lastError_ = (!key.empty() && mutexes_[key]++ > 0) ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
    return handle;
}

std::uint32_t SimSystem::GetLastError() { return lastError_; }

bool SimSystem::CloseHandle(Handle handle) {
    auto found = handles_.find(handle);
    if (found == handles_.end()) {
        lastError_ = ERROR_INVALID_HANDLE;
        return false;
    }
    if (!found->second.empty() && --mutexes_[found->second] == 0) mutexes_.erase(found->second);
    handles_.erase(found);
    return true;
}

}  // namespace sim
