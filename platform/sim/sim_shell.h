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
    std::string file;
    bool withParameters;
    bool withDirectory;
    int show;
};

// The notification area and program starts. ShellExecuteA succeeds (result
// above 32) only for files a test has made known, as a real shell would fail
// with "file not found" (2) for anything else.
class SimShell final : public win::ShellApi {
public:
    bool Shell_NotifyIconA(std::uint32_t message, win::NotifyIconData* data) override;
    win::Instance ShellExecuteA(win::Window owner, const char* verb, const char* file,
                                const char* parameters, const char* directory,
                                int show) override;

    void AddFile(const std::string& path) { files_.push_back(path); }
    void SetNotifyIconFails(bool fail) { notifyFails_ = fail; }
    const std::vector<NotifyIconCall>& NotifyIconCalls() const { return notifyCalls_; }
    const std::vector<ShellExecuteCall>& Executed() const { return executed_; }
    bool IconInTray() const { return iconInTray_; }

private:
    std::vector<std::string> files_;
    std::vector<NotifyIconCall> notifyCalls_;
    std::vector<ShellExecuteCall> executed_;
    bool notifyFails_ = false;
    bool iconInTray_ = false;
};

}  // namespace sim
