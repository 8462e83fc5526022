#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/platform.h"

namespace sim {

class SimSystem;
class SimThreads;

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
// that installed it. A Store app's process loads no hook library either, so
// its keys reach the hooks out of context too. A hook is never called for a
// process of a higher integrity level than its installer's (an elevated
// program's keys).
//
// Low-level keyboard hooks (WH_KEYBOARD_LL) have a chain of their own, which
// every event of the desktop passes before it enters the system (see
// SimKeyboard). Each runs in the thread that installed it, whatever process
// the key goes to: the system asks that thread by a message and waits for
// the answer while the thread takes its messages (GetMessageA, PeekMessageA,
// MsgWaitForMultipleObjects, a message box's loop). A thread blocked in any
// other wait holds all input up; once the answer is LowLevelHooksTimeout
// late, the event goes on to the next hook and, as since Windows 7, the
// hook is removed without a word. A hook whose thread has ended is removed
// as well. (Documented on the LowLevelKeyboardProc page, Remarks: the call
// goes by a message to the installing thread, which must have a message
// loop, and the timeout and silent removal; on the SetWindowsHookEx page,
// Remarks: no hook library is loaded into Windows Store app processes.)
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
    void AttachThreads(SimThreads& threads) { threads_ = &threads; }

    // The low-level chain for one event; nonzero means swallowed.
    bool HasLowLevelHooks() const { return !lowLevel_.empty(); }
    win::LResult RunLowLevelHooks(win::WParam message, const win::KbdLlHookStruct& event);
    // A call waits for the thread (by the id SimThreads gave it), which
    // answers it as it takes its messages.
    bool HasCallFor(std::uint32_t thread) const;
    void AnswerCalls(std::uint32_t thread);
    // Windows reads HKCU\Control Panel\Desktop\LowLevelHooksTimeout at logon.
    void SetLowLevelHooksTimeout(std::uint32_t milliseconds) { lowLevelTimeout_ = milliseconds; }
    std::size_t LowLevelCount() const { return lowLevel_.size(); }
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
        std::uint32_t thread = 0;  // a low-level hook's, by SimThreads' id
    };
    struct Running {
        bool lowLevel;
        win::HookHandle handle;
    };
    // A low-level hook's call, waiting for its thread. The event is held
    // here: a thread that answers late still reads it.
    struct Call {
        Installed hook;
        win::WParam message;
        win::KbdLlHookStruct event;
        bool answered = false;
        win::LResult result = 0;
    };
    win::HookHandle Insert(Installed hook);
    win::LResult RunFrom(std::size_t index, int code, win::WParam wParam, win::LParam lParam);
    win::LResult RunLowLevelFrom(std::size_t index, win::WParam message, const win::KbdLlHookStruct& event);
    win::LResult CallLowLevel(const Installed& hook, win::WParam message, win::KbdLlHookStruct& event);
    void RemoveLowLevel(win::HookHandle handle);
    std::uint32_t RunningThread() const;
    std::vector<Running>& RunningHere() { return running_[RunningThread()]; }
    std::uint32_t ContextOf(const Installed& hook) const;
    bool MayRunFor(const Installed& hook) const;
    void Enter(std::uint32_t process);

    std::vector<Installed> chain_;  // most recently installed first
    std::vector<Installed> lowLevel_;  // most recently installed first
    std::vector<std::shared_ptr<Call>> calls_;
    // The hooks running, by thread: a thread may wait inside its hook while
    // another runs the chain.
    std::map<std::uint32_t, std::vector<Running>> running_;
    SimThreads* threads_ = nullptr;
    // Windows documents no default; 300 ms is what Windows 7 and later use
    // when the value is missing.
    std::uint32_t lowLevelTimeout_ = 300;
    std::vector<std::uint32_t> targets_;
    SimSystem* system_ = nullptr;
    std::function<void(std::uint32_t)> enter_;
    std::vector<NextHookCall> nextCalls_;
    win::HookHandle nextHandle_ = 0x50001;
    bool installFails_ = false;
};

}  // namespace sim
