#pragma once
#include <string>

#include "hook/rule_actions.h"

// Decides the steps of a macro text (macro/macro_steps.h): its switches
// at once, its texts, programs and shutdown as the key's actions, in the
// macro's order. A non-empty text always swallows the key.
void RunMacro(const std::wstring& text, TKeyRuleContext& context);

// Types a stored macro text (before its "$" escapes are expanded) into the
// window that has the focus, as if its key had been pressed: the
// configuration program's test field, where its commands are not run.
void TryMacro(THookProcess& process, const std::wstring& storedText);
// The same for a text in code page 1252, as older configuration programs
// give it.
void TryMacro(THookProcess& process, const std::string& storedText);
