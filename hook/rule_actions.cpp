#include "hook/rule_actions.h"

#include "common/cp1252.h"
#include "common/sound_events.h"
#include "hook/sound_requests.h"
#include "platform/win_constants.h"

using namespace win;

namespace {
// The keystroke-text escape's modifier byte: look the character up and hold
// the modifiers of the low bits while typing it.
constexpr std::uint8_t ModifierEscape = 0x80;
}  // namespace

void SwallowKey(TKeyRuleContext& context) { context.Verdict = TVerdict::Swallow; }

void TypeAndSwallow(TKeyRuleContext& context, const std::wstring& text) {
    context.Actions.Type(text);
    SwallowKey(context);
}

void ToggleOption(TKeyRuleContext& context, TOption option) {
    TOptionsRegistry& options = context.Process.OptionsRegistry;
    options.WriteOption(option, options.ReadOption(option) ^ 1);
    if (options.ReadOption(opBeepOnToggle) != 0) {
        RequestOnOffSound(context.Process, options.ReadOption(option) != 0);
    }
    SwallowKey(context);
}

void ToggleNumDot(TKeyRuleContext& context) {
    RequestSound(context.Process, seNumDot);
    ToggleOption(context, opNumDot);
}

void ToggleEasyTab(TKeyRuleContext& context) {
    RequestSound(context.Process, seEasyTab);
    ToggleOption(context, opEasyTab);
}

void ToggleUmlautConversion(TKeyRuleContext& context, std::uint8_t mode) {
    RequestSound(context.Process, seUmlaut);
    ToggleOption(context, opUmlautConversion);
    TOptionsRegistry& options = context.Process.OptionsRegistry;
    if (options.ReadOption(opUmlautConversion) != 0) {
        options.WriteUmlautMode(mode);
    }
}

// In a dialog box the focus moves by a posted WM_NEXTDLGCTL (wParam 0 next,
// all bits set previous); elsewhere Tab or Shift+Tab is typed.
void EasyTabStep(TKeyRuleContext& context, bool forward) {
    if (context.Event.KeyData & DialogModeBit) {
        WindowApi& windows = context.Process.Api.windows;
        Window top = TopParentWindow(context.Process, windows.GetFocus());
        if (top != 0) windows.PostMessageA(top, WM_NEXTDLGCTL, forward ? 0 : ~WParam(0), 0);
        SwallowKey(context);
    } else if (forward) {
        TypeAndSwallow(context, L"\t");
    } else {
        TKeyFlags shift;
        SetKeyFlag(shift, kfShift, true);
        std::string shiftTab = {'\xFF', static_cast<char>(ModifierEscape | KeyFlagsToByte(shift)), '\t'};
        TypeAndSwallow(context, Cp1252ToWide(shiftTab));
    }
}

void SetKeyToggled(THookProcess& process, std::uint8_t virtualKey, bool on) {
    std::uint8_t state[256] = {};
    process.Api.keyboard.GetKeyboardState(state);
    state[virtualKey] = on ? (state[virtualKey] | 0x01) : (state[virtualKey] & 0xFE);
    process.Api.keyboard.SetKeyboardState(state);
}

Window TopParentWindow(THookProcess& process, Window window) {
    WindowApi& windows = process.Api.windows;
    for (Window parent = windows.GetParent(window); parent != 0 && windows.IsChild(parent, window);
         parent = windows.GetParent(window)) {
        window = parent;
    }
    return window;
}
