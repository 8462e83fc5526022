#pragma once
#include <cstdint>

// What the system puts in the extra information of every key event it makes,
// whichever program or library makes it, so that a low-level hook tells its
// own events from the person's and from other programs' injected input.
// Within 32 bits, as a 32-bit process's ULONG_PTR holds it.
inline constexpr std::uintptr_t OwnInputMarker = 0x5A4F4C56;

// The low-level hook's own, after the events of each piece of work it
// hands to its worker: once it has passed the hook, every event that piece
// of work made has too. A key no keyboard has, released.
inline constexpr std::uintptr_t WorkDoneMarker = OwnInputMarker + 1;
inline constexpr std::uint8_t WorkDoneKey = 0xFF;
