#pragma once
// The bits of a keyboard event as Windows hands it to hooks and windows,
// the bit of a key code that asks for the extended key, and the masks of
// the modifier and lock state that the key rules test.
#include <cstdint>
#include <initializer_list>

#include "common/key_flags.h"

// The key data (the hook's lParam).
inline constexpr std::uint32_t ExtendedKeyBit = 1u << 24;
inline constexpr std::uint32_t DialogModeBit = 1u << 27;
inline constexpr std::uint32_t AltContextBit = 1u << 29;
inline constexpr std::uint32_t PreviousStateBit = 1u << 30;
inline constexpr std::uint32_t TransitionBit = 1u << 31;

// Bit 15 of a key code (the virtual key with its shift state above it).
inline constexpr std::uint16_t ExtendedKeyCodeBit = 0x8000;
// Bit 15 of GetAsyncKeyState's result: the key is down.
inline constexpr std::uint16_t KeyDownBit = 0x8000;

constexpr std::uint8_t FlagMask(std::initializer_list<TKeyFlag> members) {
    std::uint8_t mask = 0;
    for (TKeyFlag member : members) mask = static_cast<std::uint8_t>(mask | (1u << member));
    return mask;
}

// A key counts as modified: Shift, Ctrl or AltGr (Alt alone does not).
inline constexpr std::uint8_t ModifiedMask = FlagMask({kfShift, kfCtrl, kfAltGr});
// No plain-key rule applies: Ctrl, Alt or AltGr.
inline constexpr std::uint8_t CtrlAltMask = FlagMask({kfCtrl, kfAlt, kfAltGr});
// The modifier keys a person holds down.
inline constexpr std::uint8_t HeldModifiersMask = FlagMask({kfShift, kfCtrl, kfAlt, kfAltGr});

// Caps Lock, Num Lock and Scroll Lock: each first press toggles a lock.
// Defined apart, so that code including <windows.h> may include this file.
bool IsLockKey(std::uint8_t virtualKey);
