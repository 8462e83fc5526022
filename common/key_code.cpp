#include "common/key_code.h"

std::uint32_t CombineKeyCode(std::uint16_t keyCode, TKeyFlags flags) {
    constexpr std::uint8_t NamedMembers = 0x9B;
    return (std::uint32_t(flags.Bits & NamedMembers) << 16) + keyCode;
}
