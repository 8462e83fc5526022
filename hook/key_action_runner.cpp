#include "hook/key_action_runner.h"

#include "common/control_messages.h"
#include "common/cp1252.h"
#include "common/shell_open.h"
#include "hook/macro_commands.h"
#include "hook/typing.h"
#include "macro/datetime_format.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

// The date and time texts stay code page 1252, as the regional formats are.
std::wstring FormatNow(THookProcess& process, const std::wstring& format) {
    SystemTime now{};
    process.Api.system.GetLocalTime(&now);
    return Cp1252ToWide(FormatTimestamp(process.Regional, WideToCp1252(format), now));
}

void Open(THookProcess& process, const std::wstring& path) {
    if (!ShellOpen(process.Api, path)) process.Api.windows.MessageBeep(MB_ICONEXCLAMATION);
}

void RequestShutdown(THookProcess& process) {
    Window control = FindControlWindow(process.Api.windows);
    if (control != 0) process.Api.windows.PostMessageA(control, UM_SHUTDOWN, 1, 0);
}

void Run(THookProcess& process, const TKeyAction& action, const TKeyTypist& typist) {
    switch (action.Kind) {
        case TKeyActionKind::Type: typist.Type(action.Text); break;
        case TKeyActionKind::TypeTime: typist.Type(FormatNow(process, action.Text)); break;
        case TKeyActionKind::Open: Open(process, action.Text); break;
        case TKeyActionKind::Shutdown: RequestShutdown(process); break;
        case TKeyActionKind::Key: typist.Key(action.Code, action.Press); break;
    }
}

}  // namespace

void RunKeyActions(THookProcess& process, const TKeyActions& actions) {
    TTypingTarget target;
    TKeyTypist typist{[&](const std::wstring& text) { TypeText(process, text, target); },
                      [&](std::uint16_t code, bool press) { SendKey(process, code, press); }};
    RunKeyActions(process, actions, typist);
}

void RunKeyActions(THookProcess& process, const TKeyActions& actions, const TKeyTypist& typist) {
    for (const TKeyAction& action : actions.List()) Run(process, action, typist);
}
