#include "platform/sim/sim_hooks.h"

#include <algorithm>

#include "platform/sim/sim_system.h"
#include "platform/win_constants.h"

namespace sim {

using namespace win;

HookHandle SimHooks::SetWindowsHookExA(int hookType, HookProc proc, Instance module,
                                       std::uint32_t threadId) {
    // A global hook needs the module that holds the procedure.
    if (installFails_ || hookType != WH_KEYBOARD || !proc || (threadId == 0 && module == 0)) {
        return 0;
    }
    return Insert(Installed{0, proc, nullptr, 0});
}

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
    return sameBitness ? target : hook.installer;
}

bool SimHooks::MayRunFor(const Installed& hook) const {
    if (!system_ || targets_.empty()) return true;
    return system_->IntegrityOf(targets_.back()) <= system_->IntegrityOf(hook.installer);
}

void SimHooks::Enter(std::uint32_t process) {
    if (system_) system_->SetCurrentProcess(process);
    if (enter_) enter_(process);
}

LResult SimHooks::CallNextHookEx(HookHandle hook, int code, WParam wParam, LParam lParam) {
    nextCalls_.push_back({hook, code, wParam, lParam});
    std::size_t next = running_.empty() ? chain_.size() : running_.back() + 1;
    return RunFrom(next, code, wParam, lParam);
}

LResult SimHooks::RunFrom(std::size_t index, int code, WParam wParam, LParam lParam) {
    while (index < chain_.size() && !MayRunFor(chain_[index])) ++index;
    if (index >= chain_.size()) return 0;
    std::uint32_t previous = system_ ? system_->GetCurrentProcessId() : 1;
    Enter(ContextOf(chain_[index]));
    running_.push_back(index);
    // Held apart from the chain, which the hook may change while it runs.
    Installed hook = chain_[index];
    LResult result = hook.proc ? hook.proc(code, wParam, lParam) : (*hook.handler)(code, wParam, lParam);
    running_.pop_back();
    Enter(previous);
    return result;
}

}  // namespace sim
