#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

struct NotifyIconCall {
    std::uint32_t message;
    win::NotifyIconData data;
};

struct ShellExecuteCall {
    win::Window owner;
    std::string verb;
    std::string file;  // in code page 1252, "?" for what it lacks
    bool withParameters;
    bool withDirectory;
    int show;
    std::wstring wideFile;
};

// The notification area and program starts. ShellExecuteW succeeds (result
// above 32) only for files a test has made known, as a real shell would
// fail with "file not found" (2) for anything else.
class SimShell final : public win::ShellApi {
public:
    bool Shell_NotifyIconA(std::uint32_t message, win::NotifyIconData* data) override;
    win::Instance ShellExecuteW(win::Window owner, const wchar_t* verb, const wchar_t* file,
                                const wchar_t* parameters, const wchar_t* directory,
                                int show) override;

    void AddFile(const std::string& path);
    void AddFile(const std::wstring& path) { files_.push_back(path); }
    // The shell starts anew (Explorer restarted) and has lost every icon.
    void LoseIcons() { iconInTray_ = false; }
    void SetNotifyIconFails(bool fail) { notifyFails_ = fail; }
    const std::vector<NotifyIconCall>& NotifyIconCalls() const { return notifyCalls_; }
    const std::vector<ShellExecuteCall>& Executed() const { return executed_; }
    bool IconInTray() const { return iconInTray_; }

private:
    std::vector<std::wstring> files_;
    std::vector<NotifyIconCall> notifyCalls_;
    std::vector<ShellExecuteCall> executed_;
    bool notifyFails_ = false;
    bool iconInTray_ = false;
};

}  // namespace sim
