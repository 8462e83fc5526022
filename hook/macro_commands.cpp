#include "hook/macro_commands.h"

#include "common/control_messages.h"
#include "common/cp1252.h"
#include "common/shell_open.h"
#include "macro/datetime_format.h"
#include "macro/dollar_escapes.h"
#include "macro/macro_steps.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

void TypeNow(TKeyRuleContext& context, const std::optional<std::wstring>& format,
             const std::string& regional) {
    SystemTime now{};
    context.Process.Api.system.GetLocalTime(&now);
    std::string text = format ? WideToCp1252(*format) : regional;
    TypeAndSwallow(context, FormatTimestamp(context.Process.Regional, text, now));
}

void RequestShutdown(THookProcess& process) {
    Window control = FindControlWindow(process.Api.windows);
    if (control != 0) process.Api.windows.PostMessageA(control, UM_SHUTDOWN, 1, 0);
}

// In the configuration program's test field a macro is tried out: it types,
// and what else it would do is only shown there.
bool IsTrial(THookProcess& process) {
    const TStepAside& rule = process.StepAside;
    return rule.TestField != 0 && process.Api.windows.GetFocus() == rule.TestField;
}

void RunStep(const TMacroStep& step, TKeyRuleContext& context) {
    THookProcess& process = context.Process;
    if (!IsTypingStep(step.Kind) && IsTrial(process)) return;
    switch (step.Kind) {
        case TMacroStepKind::Type: TypeAndSwallow(context, WideToCp1252(step.Text)); break;
        case TMacroStepKind::Date: TypeNow(context, step.Format, process.Regional.RegionalLongDate); break;
        case TMacroStepKind::Time: TypeNow(context, step.Format, process.Regional.RegionalLongTime); break;
        case TMacroStepKind::Open:
            if (!OpenDocument(process, WideToCp1252(step.Text))) {
                process.Api.windows.MessageBeep(MB_ICONEXCLAMATION);
            }
            break;
        case TMacroStepKind::UmlautAscii: ToggleUmlautConversion(context, 0); break;
        case TMacroStepKind::UmlautHtml: ToggleUmlautConversion(context, 1); break;
        case TMacroStepKind::EasyTab: ToggleEasyTab(context); break;
        case TMacroStepKind::NumDot: ToggleNumDot(context); break;
        case TMacroStepKind::Shutdown: RequestShutdown(process); break;
    }
}

}  // namespace

// The text is code page 1252 and goes through wide characters unchanged.
void RunMacro(const std::string& text, TKeyRuleContext& context) {
    if (text.empty()) return;
    for (const TMacroStep& step : ReadMacroSteps(Cp1252ToWide(text))) RunStep(step, context);
    SwallowKey(context);
}

void TryMacro(THookProcess& process, const std::string& storedText) {
    TKeyRuleContext context{process, TKeyEvent{}, false};
    RunMacro(ExpandDollarEscapes(storedText), context);
}

bool OpenDocument(THookProcess& process, const std::string& path) {
    return ShellOpen(process.Api, path);
}
