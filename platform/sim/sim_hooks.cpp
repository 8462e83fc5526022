#include "platform/sim/sim_hooks.h"

#include <algorithm>

#include "platform/sim/sim_system.h"
#include "platform/sim/sim_threads.h"
#include "platform/win_constants.h"

namespace sim {

using namespace win;

// A global hook needs the module that holds the procedure; a low-level hook
// is global only.
HookHandle SimHooks::SetWindowsHookExA(int hookType, HookProc proc, Instance module,
                                       std::uint32_t threadId) {
    if (installFails_ || !proc || (threadId == 0 && module == 0)) return 0;
    if (hookType == WH_KEYBOARD) return Insert(Installed{0, proc, nullptr, 0});
    if (hookType != WH_KEYBOARD_LL || threadId != 0) return 0;
    Installed hook{nextHandle_, proc, nullptr, system_ ? system_->GetCurrentProcessId() : 1, RunningThread()};
    nextHandle_ += 2;
    lowLevel_.insert(lowLevel_.begin(), hook);
    return hook.handle;
}

std::uint32_t SimHooks::RunningThread() const { return threads_ ? threads_->Running() : 0; }

HookHandle SimHooks::AddHook(Handler handler) {
    return Insert(Installed{0, nullptr, std::make_shared<Handler>(std::move(handler)), 0});
}

HookHandle SimHooks::Insert(Installed hook) {
    hook.handle = nextHandle_;
    nextHandle_ += 2;
    hook.installer = system_ ? system_->GetCurrentProcessId() : 1;
    chain_.insert(chain_.begin(), std::move(hook));
    return chain_.front().handle;
}

bool SimHooks::UnhookWindowsHookEx(HookHandle hook) {
    std::size_t lowLevel = lowLevel_.size();
    RemoveLowLevel(hook);
    if (lowLevel_.size() != lowLevel) return true;
    auto found = std::find_if(chain_.begin(), chain_.end(),
                              [&](const Installed& installed) { return installed.handle == hook; });
    if (found == chain_.end()) return false;
    chain_.erase(found);
    return true;
}

LResult SimHooks::RunKeyboardHooks(int code, WParam wParam, LParam lParam,
                                   std::uint32_t targetProcess) {
    targets_.push_back(targetProcess);
    LResult result = RunFrom(0, code, wParam, lParam);
    targets_.pop_back();
    return result;
}

std::uint32_t SimHooks::ContextOf(const Installed& hook) const {
    std::uint32_t target = targets_.empty() ? hook.installer : targets_.back();
    if (!system_) return target;
    bool sameBitness = system_->Is64BitProcess(hook.installer) == system_->Is64BitProcess(target);
    return sameBitness && !system_->IsStoreProcess(target) ? target : hook.installer;
}

bool SimHooks::MayRunFor(const Installed& hook) const {
    if (!system_ || targets_.empty()) return true;
    return system_->IntegrityOf(targets_.back()) <= system_->IntegrityOf(hook.installer);
}

void SimHooks::Enter(std::uint32_t process) {
    if (system_) system_->SetCurrentProcess(process);
    if (enter_) enter_(process);
}

// From a low-level hook the next low-level hook is called, with the event
// as the caller passes it on; a hook that was removed meanwhile has none.
LResult SimHooks::CallNextHookEx(HookHandle hook, int code, WParam wParam, LParam lParam) {
    nextCalls_.push_back({hook, code, wParam, lParam});
    std::vector<Running>& running = RunningHere();
    if (running.empty()) return 0;
    Running current = running.back();
    if (current.lowLevel) {
        auto found = std::find_if(lowLevel_.begin(), lowLevel_.end(),
                                  [&](const Installed& installed) { return installed.handle == current.handle; });
        if (found == lowLevel_.end()) return 0;
        auto next = static_cast<std::size_t>(found - lowLevel_.begin()) + 1;
        return RunLowLevelFrom(next, wParam, *reinterpret_cast<const KbdLlHookStruct*>(lParam));
    }
    auto found = std::find_if(chain_.begin(), chain_.end(),
                              [&](const Installed& installed) { return installed.handle == current.handle; });
    return RunFrom(static_cast<std::size_t>(found - chain_.begin()) + 1, code, wParam, lParam);
}

LResult SimHooks::RunFrom(std::size_t index, int code, WParam wParam, LParam lParam) {
    while (index < chain_.size() && !MayRunFor(chain_[index])) ++index;
    if (index >= chain_.size()) return 0;
    std::uint32_t previous = system_ ? system_->GetCurrentProcessId() : 1;
    Enter(ContextOf(chain_[index]));
    // Held apart from the chain, which the hook may change while it runs.
    Installed hook = chain_[index];
    RunningHere().push_back({false, hook.handle});
    LResult result = hook.proc ? hook.proc(code, wParam, lParam) : (*hook.handler)(code, wParam, lParam);
    RunningHere().pop_back();
    Enter(previous);
    return result;
}

LResult SimHooks::RunLowLevelHooks(WParam message, const KbdLlHookStruct& event) {
    return RunLowLevelFrom(0, message, event);
}

LResult SimHooks::RunLowLevelFrom(std::size_t index, WParam message, const KbdLlHookStruct& event) {
    while (index < lowLevel_.size() && threads_ && threads_->HasEnded(lowLevel_[index].thread)) {
        lowLevel_.erase(lowLevel_.begin() + static_cast<std::ptrdiff_t>(index));
    }
    if (index >= lowLevel_.size()) return 0;
    auto call = std::make_shared<Call>(Call{lowLevel_[index], message, event});
    if (call->hook.thread == RunningThread()) return CallLowLevel(call->hook, message, call->event);
    calls_.push_back(call);
    WaitEnd end = threads_->Wait([call] { return call->answered; }, lowLevelTimeout_);
    std::erase(calls_, call);
    if (end == WaitEnd::Ready) return call->result;
    auto position = std::find_if(lowLevel_.begin(), lowLevel_.end(),
                                 [&](const Installed& installed) { return installed.handle == call->hook.handle; });
    std::size_t next = static_cast<std::size_t>(position - lowLevel_.begin());
    RemoveLowLevel(call->hook.handle);
    return RunLowLevelFrom(next, message, event);
}

bool SimHooks::HasCallFor(std::uint32_t thread) const {
    return std::any_of(calls_.begin(), calls_.end(), [&](const std::shared_ptr<Call>& call) {
        return call->hook.thread == thread && !call->answered;
    });
}

// Calls made meanwhile wait for the next turn.
void SimHooks::AnswerCalls(std::uint32_t thread) {
    std::vector<std::shared_ptr<Call>> waiting;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(waiting),
                 [&](const std::shared_ptr<Call>& call) { return call->hook.thread == thread && !call->answered; });
    for (const std::shared_ptr<Call>& call : waiting) {
        call->result = CallLowLevel(call->hook, call->message, call->event);
        call->answered = true;
    }
}

LResult SimHooks::CallLowLevel(const Installed& hook, WParam message, KbdLlHookStruct& event) {
    std::uint32_t previous = system_ ? system_->GetCurrentProcessId() : 1;
    Enter(hook.installer);
    RunningHere().push_back({true, hook.handle});
    LResult result = hook.proc(HC_ACTION, message, reinterpret_cast<LParam>(&event));
    RunningHere().pop_back();
    Enter(previous);
    return result;
}

void SimHooks::RemoveLowLevel(HookHandle handle) {
    std::erase_if(lowLevel_, [&](const Installed& installed) { return installed.handle == handle; });
}

}  // namespace sim
