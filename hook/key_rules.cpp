#include "hook/key_rules.h"

#include "hook/macro_commands.h"
#include "hook/macro_store.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

constexpr std::uint8_t KeyHash = VK_OEM_2;  // carries "#" on a German keyboard

std::uint8_t ReadOption(TKeyRuleContext& context, TOption option) {
    return context.Process.OptionsRegistry.ReadOption(option);
}

bool Holds(const TKeyRuleContext& context, TKeyFlag member) {
    return context.Process.KeyFlags.Contains(member);
}

// The keypad decimal key types the "DecimalDot" text; with Caps Lock on its
// first character goes in as an Alt code.
void TypeDecimalText(TKeyRuleContext& context) {
    std::wstring text = ReadTypedText(context.Process, context.Process.OptionsRegistry, OptionValueName(opDecimalDot));
    if (text.empty()) text = L".";
    if (Holds(context, kfCapsLock)) text.insert(0, L"\xFF\xFF");
    TypeAndSwallow(context, text);
}

// Returns true when a rule claimed the key.
bool ApplyAltGrRules(TKeyRuleContext& context, const TKeyScope& scope) {
    switch (context.Event.VirtualKey) {
        case VK_NUMLOCK:
            if (!scope.Keypad) return false;
            SetKeyToggled(context.Process, VK_NUMLOCK, true);
            ToggleNumDot(context);
            return true;
        case KeyHash:
            if (!scope.EasyBackslash || ReadOption(context, opEasyBackslash) == 0) return false;
            TypeAndSwallow(context, L"#");
            return true;
        default:
            return false;
    }
}

bool ApplyPlainKeyRules(TKeyRuleContext& context, const TKeyScope& scope) {
    if (scope.Umlauts && ReadOption(context, opUmlautConversion) != 0) {
        std::wstring text = LookupUmlautMacro(context.Process, context.Event);
        if (!text.empty()) {
            RunMacro(text, context);
            return true;
        }
    }
    switch (context.Event.VirtualKey) {
        case VK_DECIMAL:
            if (!scope.DecimalText || ReadOption(context, opNumDot) == 0) return false;
            TypeDecimalText(context);
            return true;
        case VK_ADD:
        case VK_SUBTRACT:
            if (!scope.Keypad || ReadOption(context, opEasyTab) == 0 || context.Modified) return false;
            EasyTabStep(context, context.Event.VirtualKey == VK_ADD);
            return true;
        case VK_NUMLOCK:
            // Holds Num Lock on, and lets the key go on to the macro lookup.
            // Windows NT toggles Num Lock past the thread's bit; the hook
            // procedure holds it on there (HoldNumLockOn).
            if (scope.Keypad && ReadOption(context, opNumLockLock) != 0 && !Holds(context, kfShift) &&
                !context.Process.IsWinNT) {
                SetKeyToggled(context.Process, VK_NUMLOCK, true);
            }
            return false;
        case KeyHash:
            if (!scope.EasyBackslash || ReadOption(context, opEasyBackslash) == 0 || context.Modified) return false;
            TypeAndSwallow(context, L"\\");
            return true;
        default:
            return false;
    }
}

}  // namespace

TVerdict ApplyKeyRules(THookProcess& process, const TKeyEvent& event, const TKeyScope& scope,
                       TKeyActions& actions) {
    if (!scope.Rules) return TVerdict::Pass;
    TKeyRuleContext context{process, event, process.KeyFlags.ContainsAny(ModifiedMask), TVerdict::Pass,
                            actions};

    // The master switch key works while the switch is off: it is the way
    // back on at the keyboard.
    if (Holds(context, kfAltGr) && event.VirtualKey == VK_F1) {
        ToggleOption(context, opEnabled);
        return context.Verdict;
    }
    if (ReadOption(context, opEnabled) == 0) return TVerdict::Pass;
    if (Holds(context, kfAltGr) && ApplyAltGrRules(context, scope)) return context.Verdict;
    if (!process.KeyFlags.ContainsAny(CtrlAltMask) && ApplyPlainKeyRules(context, scope)) {
        return context.Verdict;
    }
    if (!scope.Macros) return context.Verdict;
    std::wstring text = LookupAltGrMacro(process, event);
    if (!text.empty()) RunMacro(text, context);
    return context.Verdict;
}
