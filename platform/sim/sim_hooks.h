#pragma once
#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace sim {

struct NextHookCall {
    win::HookHandle hook;
    int code;
    win::WParam wParam;
    win::LParam lParam;
};

// The keyboard hook chain. As on Windows NT, CallNextHookEx finds the next
// hook from where the chain is running, whatever handle it is given, and
// returns 0 at the end of the chain.
class SimHooks final : public win::HookApi {
public:
    win::HookHandle SetWindowsHookExA(int hookType, win::HookProc proc, win::Instance module,
                                      std::uint32_t threadId) override;
    win::LResult CallNextHookEx(win::HookHandle hook, int code, win::WParam wParam,
                                win::LParam lParam) override;
    bool UnhookWindowsHookEx(win::HookHandle hook) override;

    // Runs the chain for one keyboard event; nonzero means swallowed.
    win::LResult RunKeyboardHooks(int code, win::WParam wParam, win::LParam lParam);
    void SetInstallFails(bool fail) { installFails_ = fail; }
    std::size_t InstalledCount() const { return chain_.size(); }
    const std::vector<NextHookCall>& NextHookCalls() const { return nextCalls_; }

private:
    struct Installed {
        win::HookHandle handle;
        win::HookProc proc;
    };
    win::LResult RunFrom(std::size_t index, int code, win::WParam wParam, win::LParam lParam);

    std::vector<Installed> chain_;  // most recently installed first
    std::vector<std::size_t> running_;
    std::vector<NextHookCall> nextCalls_;
    win::HookHandle nextHandle_ = 0x50001;
    bool installFails_ = false;
};

}  // namespace sim
