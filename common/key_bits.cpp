#include "common/key_bits.h"

#include "platform/win_constants.h"

bool IsLockKey(std::uint8_t virtualKey) {
    return virtualKey == win::VK_CAPITAL || virtualKey == win::VK_NUMLOCK || virtualKey == win::VK_SCROLL;
}
