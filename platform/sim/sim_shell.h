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
    std::string file;  // as an ANSI call sees it
    bool withParameters;
    bool withDirectory;
    int show;
    std::wstring wideFile;  // of the wide call
};

// The notification area and program starts. ShellExecuteA and ShellExecuteW
// succeed (result above 32) only for files a test has made known, as a real
// shell would fail with "file not found" (2) for anything else; an ANSI path
// names a file only when the code page has all of its characters.
class SimShell final : public win::ShellApi {
public:
    bool Shell_NotifyIconA(std::uint32_t message, win::NotifyIconData* data) override;
    win::Instance ShellExecuteA(win::Window owner, const char* verb, const char* file,
                                const char* parameters, const char* directory,
                                int show) override;
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
    win::Instance Execute(ShellExecuteCall call, const std::wstring& path);

    std::vector<std::wstring> files_;
    std::vector<NotifyIconCall> notifyCalls_;
    std::vector<ShellExecuteCall> executed_;
    bool notifyFails_ = false;
    bool iconInTray_ = false;
};

}  // namespace sim
