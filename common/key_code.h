#pragma once
#include <cstdint>

#include "common/key_flags.h"

// The macro store's key code: the modifier byte (Shift, Ctrl, AltGr, Caps
// Lock, right Windows key; never Alt, Scroll Lock or Num Lock) above the
// 16-bit key code.
std::uint32_t CombineKeyCode(std::uint16_t keyCode, TKeyFlags flags);
