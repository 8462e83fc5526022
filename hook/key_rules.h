#pragma once
#include "hook/hook_process.h"
#include "hook/key_actions.h"
#include "hook/key_event.h"
#include "hook/key_scope.h"
#include "hook/rule_actions.h"

// Decides for one fresh key press whether the library acts on it and
// swallows the key, or lets it pass. Settings are read at the moment a rule
// tests them; a rule the scope leaves out reads none. What the rules do
// that takes time is added to `actions`, to be run after the decision.
TVerdict ApplyKeyRules(THookProcess& process, const TKeyEvent& event, const TKeyScope& scope,
                       TKeyActions& actions);
