#pragma once
#include <cstdint>

#include "platform/platform.h"

// Members of the modifier and lock state; member n is bit n.
enum TKeyFlag : std::uint8_t {
    kfShift,
    kfCtrl,
    kfAlt,
    kfAltGr,
    kfCapsLock,
    kfScrollLock,
    kfNumLock,
    kfWin,
};

struct TKeyFlags {
    std::uint8_t Bits = 0;
    bool Contains(TKeyFlag member) const { return Bits & (1u << member); }
    bool ContainsAny(std::uint8_t mask) const { return Bits & mask; }
};

// A member number above 7 changes nothing.
void SetKeyFlag(TKeyFlags& flags, int member, bool on);
std::uint8_t KeyFlagsToByte(TKeyFlags flags);

// The platform's result is not looked at: on failure the array keeps what
// it held.
void ReadKeyboardState(win::KeyboardApi& keyboard, std::uint8_t state[256]);
bool IsKeyDown(win::KeyboardApi& keyboard, std::uint16_t virtualKey);
bool IsKeyToggled(const std::uint8_t state[256], std::uint16_t virtualKey);
