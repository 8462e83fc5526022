#pragma once
#include <string>

#include "hook/rule_actions.h"

// Carries out the steps of a macro text (macro/macro_steps.h). A non-empty
// text always swallows the key.
void RunMacro(const std::string& text, TKeyRuleContext& context);

// Opens a program or document with the shell; false when it cannot.
bool OpenDocument(THookProcess& process, const std::string& path);
