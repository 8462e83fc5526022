#pragma once
#include "platform/platform.h"

// The backend the contract tests run against: the simulation natively, the
// real API when cross-built and run under Wine.
win::RegistryApi& ContractRegistry();
win::SystemApi& ContractSystem();
win::KeyboardApi& ContractKeyboard();
win::WindowApi& ContractWindows();
win::HookApi& ContractHooks();
