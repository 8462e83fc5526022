#include "platform/sim/sim_hooks.h"

#include <algorithm>

#include "platform/win_constants.h"

namespace sim {

using namespace win;

HookHandle SimHooks::SetWindowsHookExA(int hookType, HookProc proc, Instance module,
                                       std::uint32_t threadId) {
    // A global hook needs the module that holds the procedure.
    if (installFails_ || hookType != WH_KEYBOARD || !proc || (threadId == 0 && module == 0)) {
        return 0;
    }
    HookHandle handle = nextHandle_;
    nextHandle_ += 2;
    chain_.insert(chain_.begin(), Installed{handle, proc});
    return handle;
}

bool SimHooks::UnhookWindowsHookEx(HookHandle hook) {
    auto found = std::find_if(chain_.begin(), chain_.end(),
                              [&](const Installed& installed) { return installed.handle == hook; });
    if (found == chain_.end()) return false;
    chain_.erase(found);
    return true;
}

LResult SimHooks::RunKeyboardHooks(int code, WParam wParam, LParam lParam) {
    return RunFrom(0, code, wParam, lParam);
}

LResult SimHooks::CallNextHookEx(HookHandle hook, int code, WParam wParam, LParam lParam) {
    nextCalls_.push_back({hook, code, wParam, lParam});
    std::size_t next = running_.empty() ? chain_.size() : running_.back() + 1;
    return RunFrom(next, code, wParam, lParam);
}

LResult SimHooks::RunFrom(std::size_t index, int code, WParam wParam, LParam lParam) {
    if (index >= chain_.size()) return 0;
    running_.push_back(index);
    LResult result = chain_[index].proc(code, wParam, lParam);
    running_.pop_back();
    return result;
}

}  // namespace sim
