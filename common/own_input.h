#pragma once
#include <cstdint>

// What the system puts in the extra information of every key event it makes,
// whichever program or library makes it, so that a low-level hook tells its
// own events from the person's and from other programs' injected input.
// Within 32 bits, as a 32-bit process's ULONG_PTR holds it.
inline constexpr std::uintptr_t OwnInputMarker = 0x5A4F4C56;
