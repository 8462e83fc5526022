#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

// Version, waits, module names, clock, locale and named mutexes.
class SimSystem final : public win::SystemApi {
public:
    bool GetVersionExA(win::OsVersionInfo* info) override;
    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t WaitForInputIdle(win::Handle process, std::uint32_t milliseconds) override;
    win::Handle GetCurrentProcess() override;
    std::uint32_t GetModuleFileNameA(win::Instance module, char* buffer,
                                     std::uint32_t size) override;
    win::Instance GetModuleHandleA(const char* moduleName) override;
    bool GetProcAddress(win::Instance module, const char* procedureName) override;
    void GetLocalTime(win::SystemTime* time) override;
    std::uint32_t GetThreadLocale() override;
    int GetLocaleInfoA(std::uint32_t locale, std::uint32_t type, char* buffer, int size) override;
    win::Handle CreateMutexA(void* security, bool initialOwner, const char* name) override;
    std::uint32_t GetLastError() override;
    bool CloseHandle(win::Handle handle) override;

    void SetWindowsNT(bool nt) { windowsNT_ = nt; }
    void SetModuleFileName(win::Instance module, std::string path) { modules_[module] = path; }
    void SetLocalTime(const win::SystemTime& time) { now_ = time; }
    void SetThreadLocale(std::uint32_t locale) { locale_ = locale; }
    // Windows as Wine makes it: its ntdll exports wine_get_version.
    void SetWine(bool wine) { wine_ = wine; }

    std::uint64_t SleepCount() const { return sleeps_.size(); }
    // The waits asked for, in milliseconds, in order.
    const std::vector<std::uint32_t>& Sleeps() const { return sleeps_; }
    std::uint64_t IdleWaitCount() const { return idleWaits_; }

private:
    bool windowsNT_ = true;
    std::map<win::Instance, std::string> modules_;
    win::SystemTime now_{2026, 12, 1, 7, 14, 5, 9, 0};
    std::uint32_t locale_ = 0x0407;
    std::map<std::string, int> mutexes_;
    std::map<win::Handle, std::string> handles_;
    win::Handle nextHandle_ = 0x1000;
    std::uint32_t lastError_ = 0;
    std::vector<std::uint32_t> sleeps_;
    std::uint64_t idleWaits_ = 0;
    bool wine_ = false;
};

}  // namespace sim
