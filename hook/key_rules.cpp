#include "hook/key_rules.h"

#include "common/sound_events.h"
#include "hook/macro_commands.h"
#include "hook/macro_store.h"
#include "hook/sound_requests.h"
#include "hook/typing.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

constexpr std::uint8_t KeyHash = VK_OEM_2;  // carries "#" on a German keyboard
constexpr std::uint8_t ModifierEscape = 0x80;

std::uint8_t ReadOption(TKeyRuleContext& context, TOption option) {
    return context.Process.OptionsRegistry.ReadOption(option);
}

bool Holds(const TKeyRuleContext& context, TKeyFlag member) {
    return context.Process.KeyFlags.Contains(member);
}

// The keypad decimal key types the "DecimalDot" text; with Caps Lock on its
// first character goes in as an Alt code.
void TypeDecimalText(TKeyRuleContext& context) {
    std::string text = context.Process.OptionsRegistry.ReadOptionString(opDecimalDot);
    if (text.empty()) text = ".";
    if (Holds(context, kfCapsLock)) text.insert(0, "\xFF\xFF");
    TypeAndSwallow(context, text);
}

// Returns true when a rule claimed the key.
bool ApplyAltGrRules(TKeyRuleContext& context) {
    switch (context.Event.VirtualKey) {
        case VK_NUMLOCK:
            SetKeyToggled(context.Process, VK_NUMLOCK, true);
            ToggleNumDot(context);
            return true;
        case KeyHash:
            if (ReadOption(context, opEasyBackslash) == 0) return false;
            TypeAndSwallow(context, "#");
            return true;
        default:
            return false;
    }
}

bool ApplyPlainKeyRules(TKeyRuleContext& context) {
    if (ReadOption(context, opUmlautConversion) != 0) {
        std::string text = LookupUmlautMacro(context.Process, context.Event);
        if (!text.empty()) {
            RunMacro(text, context);
            return true;
        }
    }
    switch (context.Event.VirtualKey) {
        case VK_DECIMAL:
            if (ReadOption(context, opNumDot) == 0) return false;
            TypeDecimalText(context);
            return true;
        case VK_ADD:
        case VK_SUBTRACT:
            if (ReadOption(context, opEasyTab) == 0 || context.Modified) return false;
            EasyTabStep(context, context.Event.VirtualKey == VK_ADD);
            return true;
        case VK_NUMLOCK:
            // Holds Num Lock on, and lets the key go on to the macro lookup.
            // Windows NT toggles Num Lock past the thread's bit; the hook
            // procedure holds it on there (HoldNumLockOn).
            if (ReadOption(context, opNumLockLock) != 0 && !Holds(context, kfShift) &&
                !context.Process.IsWinNT) {
                SetKeyToggled(context.Process, VK_NUMLOCK, true);
            }
            return false;
        case KeyHash:
            if (ReadOption(context, opEasyBackslash) == 0 || context.Modified) return false;
            TypeAndSwallow(context, "\\");
            return true;
        default:
            return false;
    }
}

}  // namespace

std::uint8_t ApplyKeyRules(THookProcess& process, const TKeyEvent& event) {
    TKeyRuleContext context{process, event, process.KeyFlags.ContainsAny(ModifiedMask)};

    // The master switch key works while the switch is off: it is the way
    // back on at the keyboard.
    if (Holds(context, kfAltGr) && event.VirtualKey == VK_F1) {
        ToggleOption(context, opEnabled);
        return context.Verdict;
    }
    if (ReadOption(context, opEnabled) == 0) return 0;
    if (Holds(context, kfAltGr) && ApplyAltGrRules(context)) return context.Verdict;
    if (!process.KeyFlags.ContainsAny(CtrlAltMask) && ApplyPlainKeyRules(context)) {
        return context.Verdict;
    }
    std::string text = LookupAltGrMacro(process, event);
    if (!text.empty()) RunMacro(text, context);
    return context.Verdict;
}

void SwallowKey(TKeyRuleContext& context) { context.Verdict = SwallowVerdict; }

void TypeAndSwallow(TKeyRuleContext& context, const std::string& text) {
    TypeText(context.Process, text);
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
    if (ReadOption(context, opUmlautConversion) != 0) {
        context.Process.OptionsRegistry.WriteUmlautMode(mode);
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
        TypeAndSwallow(context, "\t");
    } else {
        TKeyFlags shift;
        SetKeyFlag(shift, kfShift, true);
        std::string shiftTab = {'\xFF', static_cast<char>(ModifierEscape | KeyFlagsToByte(shift)), '\t'};
        TypeAndSwallow(context, shiftTab);
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
