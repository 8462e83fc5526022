#pragma once
// What the keystroke fuzzers share: the macros their input fills, and the
// person's modifier keys.
#include <cstdint>
#include <span>

#include "platform/win_constants.h"

// F5, Shift+F5, Ctrl+F5 and AltGr+E.
inline const char* const FuzzedMacroNames[] = {"00000074", "00010074", "00020074", "00080045"};

// A modifier key as a keyboard sends it, with the side-specific entry of
// the key state it sets.
struct Modifier {
    std::uint8_t virtualKey;
    bool extended;
    std::uint8_t side;
};
// The Windows key last, so that a fuzzer can leave it out.
inline constexpr Modifier PersonsModifiers[] = {
    {win::VK_SHIFT, false, win::VK_LSHIFT},   {win::VK_RSHIFT, false, win::VK_RSHIFT},
    {win::VK_CONTROL, false, win::VK_LCONTROL}, {win::VK_CONTROL, true, win::VK_RCONTROL},
    {win::VK_MENU, false, win::VK_LMENU},     {win::VK_MENU, true, win::VK_RMENU},
    {win::VK_RWIN, true, win::VK_RWIN}};
inline constexpr std::span<const Modifier> ShiftCtrlAlt = std::span(PersonsModifiers).first<6>();
