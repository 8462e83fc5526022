#include "hook/macro_commands.h"

#include "common/cp1252.h"
#include "hook/key_action_runner.h"
#include "macro/dollar_escapes.h"
#include "macro/macro_steps.h"

namespace {

// The moment is taken as the action runs, after what the macro types before.
void TypeNow(TKeyRuleContext& context, const std::optional<std::wstring>& format,
             const std::string& regional) {
    context.Actions.TypeTime(format ? *format : Cp1252ToWide(regional));
    SwallowKey(context);
}

// In the configuration program's test field a macro is tried out: it types,
// and what else it would do is only shown there. Asked for each command as
// the macro is decided, before any of its texts is typed.
bool IsTrial(THookProcess& process) {
    const TStepAside& rule = process.StepAside;
    return rule.TestField != 0 && process.Api.windows.GetFocus() == rule.TestField;
}

void RunStep(const TMacroStep& step, TKeyRuleContext& context) {
    THookProcess& process = context.Process;
    if (!IsTypingStep(step.Kind) && IsTrial(process)) return;
    switch (step.Kind) {
        case TMacroStepKind::Type: TypeAndSwallow(context, step.Text); break;
        case TMacroStepKind::Date: TypeNow(context, step.Format, process.Regional.RegionalLongDate); break;
        case TMacroStepKind::Time: TypeNow(context, step.Format, process.Regional.RegionalLongTime); break;
        case TMacroStepKind::Open: context.Actions.Open(step.Text); break;
        case TMacroStepKind::UmlautAscii: ToggleUmlautConversion(context, 0); break;
        case TMacroStepKind::UmlautHtml: ToggleUmlautConversion(context, 1); break;
        case TMacroStepKind::EasyTab: ToggleEasyTab(context); break;
        case TMacroStepKind::NumDot: ToggleNumDot(context); break;
        case TMacroStepKind::Shutdown: context.Actions.Shutdown(); break;
    }
}

}  // namespace

void RunMacro(const std::wstring& text, TKeyRuleContext& context) {
    if (text.empty()) return;
    for (const TMacroStep& step : ReadMacroSteps(text)) RunStep(step, context);
    SwallowKey(context);
}

void TryMacro(THookProcess& process, const std::wstring& storedText) {
    TKeyActions actions;
    TKeyRuleContext context{process, TKeyEvent{}, false, TVerdict::Pass, actions};
    RunMacro(ExpandDollarEscapes(storedText), context);
    RunKeyActions(process, actions);
}

void TryMacro(THookProcess& process, const std::string& storedText) { TryMacro(process, Cp1252ToWide(storedText)); }
