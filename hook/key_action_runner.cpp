#include "hook/key_action_runner.h"

#include "common/control_messages.h"
#include "hook/macro_commands.h"
#include "hook/typing.h"
#include "macro/datetime_format.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

void TypeNow(THookProcess& process, const std::string& format, TTypingTarget& target) {
    SystemTime now{};
    process.Api.system.GetLocalTime(&now);
    TypeText(process, FormatTimestamp(process.Regional, format, now), target);
}

void Open(THookProcess& process, const std::string& path) {
    if (!OpenDocument(process, path)) process.Api.windows.MessageBeep(MB_ICONEXCLAMATION);
}

void RequestShutdown(THookProcess& process) {
    Window control = FindControlWindow(process.Api.windows);
    if (control != 0) process.Api.windows.PostMessageA(control, UM_SHUTDOWN, 1, 0);
}

void Run(THookProcess& process, const TKeyAction& action, TTypingTarget& target) {
    switch (action.Kind) {
        case TKeyActionKind::Type: TypeText(process, action.Text, target); break;
        case TKeyActionKind::TypeTime: TypeNow(process, action.Text, target); break;
        case TKeyActionKind::Open: Open(process, action.Text); break;
        case TKeyActionKind::Shutdown: RequestShutdown(process); break;
        case TKeyActionKind::Key: SendKey(process, action.Code, action.Press); break;
    }
}

}  // namespace

void RunKeyActions(THookProcess& process, const TKeyActions& actions) {
    TTypingTarget target;
    for (const TKeyAction& action : actions.List()) Run(process, action, target);
}
