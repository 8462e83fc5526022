#pragma once
// What the key rules and the macro runner do to a key: the state of one
// evaluation and the actions both of them use. They decide, and do at once
// only what the next key's decision must see (settings switched, the
// thread's lock state, sound requests); what takes time is asked for in
// the key's actions (hook/key_actions.h).
#include <cstdint>
#include <string>

#include "common/option_names.h"
#include "hook/hook_process.h"
#include "hook/key_actions.h"
#include "hook/key_event.h"

// What becomes of a key: it goes on to the application, or the library has
// acted on it and swallows it. The numbers are those the key rules have
// always given the hook procedure.
enum class TVerdict : std::uint8_t { Pass = 0, Swallow = 2 };

// The state of one key-rule evaluation, handed to every rule action and to
// the macro runner.
struct TKeyRuleContext {
    THookProcess& Process;
    const TKeyEvent Event;
    // Shift, Ctrl or AltGr held when the evaluation began (Alt alone is not).
    const bool Modified;
    TVerdict Verdict = TVerdict::Pass;
    TKeyActions& Actions;
};

// Rule actions; all but SwallowKey swallow the key themselves. A text is
// typed when the key's actions run.
void SwallowKey(TKeyRuleContext& context);
void TypeAndSwallow(TKeyRuleContext& context, const std::wstring& text);
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
