#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/platform.h"

namespace sim {

class SimSystem;

struct NextHookCall {
    win::HookHandle hook;
    int code;
    win::WParam wParam;
    win::LParam lParam;
};

// The keyboard hook chain. As on Windows NT, CallNextHookEx finds the next
// hook from where the chain is running, whatever handle it is given, and
// returns 0 at the end of the chain.
//
// A hook runs in the process that receives the key when both have the same
// bitness; otherwise, as on 64-bit Windows, out of context: in the process
// that installed it. A hook is never called for a process of a higher
// integrity level than its installer's (an elevated program's keys).
class SimHooks final : public win::HookApi {
public:
    using Handler = std::function<win::LResult(int code, win::WParam wParam, win::LParam lParam)>;

    win::HookHandle SetWindowsHookExA(int hookType, win::HookProc proc, win::Instance module,
                                      std::uint32_t threadId) override;
    win::LResult CallNextHookEx(win::HookHandle hook, int code, win::WParam wParam,
                                win::LParam lParam) override;
    bool UnhookWindowsHookEx(win::HookHandle hook) override;

    // Runs the chain for one keyboard event that goes to the process;
    // nonzero means swallowed.
    win::LResult RunKeyboardHooks(int code, win::WParam wParam, win::LParam lParam,
                                  std::uint32_t targetProcess = 1);
    void AttachSystem(SimSystem& system) { system_ = &system; }
    // Told the id of the process a hook is about to run in, and of the one
    // it returns to, so that the caller can make that process's library
    // state the current one.
    void SetProcessSwitch(std::function<void(std::uint32_t)> enter) { enter_ = std::move(enter); }
    void SetInstallFails(bool fail) { installFails_ = fail; }
    // Another program's keyboard hook, installed now by the current
    // process, so that it runs before every hook installed earlier. It
    // passes an event on with CallNextHookEx or swallows it by returning
    // nonzero.
    win::HookHandle AddHook(Handler handler);
    std::size_t InstalledCount() const { return chain_.size(); }
    const std::vector<NextHookCall>& NextHookCalls() const { return nextCalls_; }

private:
    struct Installed {
        win::HookHandle handle;
        win::HookProc proc;
        std::shared_ptr<Handler> handler;
        std::uint32_t installer;
    };
    win::HookHandle Insert(Installed hook);
    win::LResult RunFrom(std::size_t index, int code, win::WParam wParam, win::LParam lParam);
    std::uint32_t ContextOf(const Installed& hook) const;
    bool MayRunFor(const Installed& hook) const;
    void Enter(std::uint32_t process);

    std::vector<Installed> chain_;  // most recently installed first
    std::vector<std::size_t> running_;
    std::vector<std::uint32_t> targets_;
    SimSystem* system_ = nullptr;
    std::function<void(std::uint32_t)> enter_;
    std::vector<NextHookCall> nextCalls_;
    win::HookHandle nextHandle_ = 0x50001;
    bool installFails_ = false;
};

}  // namespace sim
