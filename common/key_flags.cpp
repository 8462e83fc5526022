#include "common/key_flags.h"

#include "common/key_bits.h"

void SetKeyFlag(TKeyFlags& flags, int member, bool on) {
    if (member < 0 || member > 7) return;
    auto bit = static_cast<std::uint8_t>(1u << member);
    flags.Bits = on ? static_cast<std::uint8_t>(flags.Bits | bit)
                    : static_cast<std::uint8_t>(flags.Bits & ~bit);
}

std::uint8_t KeyFlagsToByte(TKeyFlags flags) { return flags.Bits; }

void ReadKeyboardState(win::KeyboardApi& keyboard, std::uint8_t state[256]) {
    keyboard.GetKeyboardState(state);
}

bool IsKeyDown(win::KeyboardApi& keyboard, std::uint16_t virtualKey) {
    return keyboard.GetAsyncKeyState(virtualKey) & KeyDownBit;
}

bool IsKeyToggled(const std::uint8_t state[256], std::uint16_t virtualKey) {
    return state[virtualKey & 0xFF] & 0x01;
}
