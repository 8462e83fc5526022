#pragma once
#include <cstdint>

#include "hook/hook_process.h"
#include "hook/key_event.h"

// Decides for one fresh key press whether the library acts on it: the
// result is 2 to swallow the key, 0 to let it pass.
std::uint8_t ApplyKeyRules(THookProcess& process, const TKeyEvent& event);
