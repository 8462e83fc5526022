#pragma once
#include <cstdint>

// The key press under examination.
struct TKeyEvent {
    std::uint16_t VirtualKey;
    std::uint32_t KeyData;  // the hook's lParam unchanged
};

inline constexpr std::uint32_t ExtendedKeyBit = 1u << 24;
inline constexpr std::uint32_t DialogModeBit = 1u << 27;
inline constexpr std::uint32_t PreviousStateBit = 1u << 30;
inline constexpr std::uint32_t TransitionBit = 1u << 31;

// The verdict that swallows a key.
inline constexpr std::uint8_t SwallowVerdict = 2;
