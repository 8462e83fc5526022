#pragma once
// Keystroke text: every byte is a character to type, except 0xFF, which
// starts an escape:
//   0xFF 0xFF c   c as an Alt code (Alt + keypad "0" and its decimal digits)
//   0xFF s c      s with bit 7: the key that types c, with the modifiers s & 0x7F
//                 s without bit 7: virtual key c with the modifiers s
// Modifier bits: 0x01 Shift, 0x02 Ctrl, 0x04 Alt, 0x40 right Windows key.
// Both hooks type it, each with key events of its own making.
#include <cstdint>
#include <functional>
#include <string>

// The key code a layout gives a character (VkKeyScanA): the virtual key in
// the low byte, the modifiers in the high one.
using TKeyScan = std::function<std::uint16_t(std::uint8_t character)>;
// One key event; bit 15 of the code asks for the extended key.
using TKeySend = std::function<void(std::uint16_t code, bool press)>;

struct TKeystroke {
    // The key to type with its modifiers, unless AltCode.
    std::uint16_t Code = 0;
    bool AltCode = false;
    std::uint8_t Character = 0;
};

// The character or escape at text[j]; j ends on the last byte used.
TKeystroke ReadKeystroke(const std::string& text, std::size_t& j, const TKeyScan& scan);
// The key events that type it, in order.
void SendKeystroke(const TKeystroke& keystroke, const TKeySend& send);
