#pragma once
#include <cstdint>
#include <string>

#include "common/option_names.h"
#include "hook/hook_process.h"
#include "hook/key_event.h"

// The state of one key-rule evaluation, handed to every rule action and to
// the macro runner.
struct TKeyRuleContext {
    THookProcess& Process;
    const TKeyEvent Event;
    // Shift, Ctrl or AltGr held when the evaluation began (Alt alone is not).
    const bool Modified;
    // 2 once the key is swallowed.
    std::uint8_t Verdict = 0;
};

// Decides for one fresh key press whether the library acts on it: the
// result is 2 to swallow the key, 0 to let it pass. Settings are read at the
// moment a rule tests them.
std::uint8_t ApplyKeyRules(THookProcess& process, const TKeyEvent& event);

// Rule actions; all but SwallowKey swallow the key themselves.
void SwallowKey(TKeyRuleContext& context);
void TypeAndSwallow(TKeyRuleContext& context, const std::string& text);
void ToggleOption(TKeyRuleContext& context, TOption option);
void ToggleNumDot(TKeyRuleContext& context);
void ToggleEasyTab(TKeyRuleContext& context);
void ToggleUmlautConversion(TKeyRuleContext& context, std::uint8_t mode);
void EasyTabStep(TKeyRuleContext& context, bool forward);

// Sets or clears the toggle bit of a key in the calling thread's keyboard
// state.
void SetKeyToggled(THookProcess& process, std::uint8_t virtualKey, bool on);
// The outermost window reached from the window through real parents.
win::Window TopParentWindow(THookProcess& process, win::Window window);
