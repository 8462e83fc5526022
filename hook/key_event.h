#pragma once
#include <cstdint>

#include "common/key_bits.h"

// The key press under examination.
struct TKeyEvent {
    std::uint16_t VirtualKey;
    std::uint32_t KeyData;  // the hook's lParam unchanged
};
