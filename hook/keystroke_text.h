#pragma once
// Keystroke text: every character is one to type, except "\xFF" (the byte
// 0xFF of code page 1252), which starts an escape; the escape's s and c are
// the code page 1252 bytes of its characters:
//   0xFF 0xFF c   c as an Alt code (Alt + keypad "0" and its decimal digits)
//   0xFF s c      s with bit 7: the key that types c, with the modifiers s & 0x7F
//                 s without bit 7: virtual key c with the modifiers s
// Modifier bits: 0x01 Shift, 0x02 Ctrl, 0x04 Alt, 0x40 right Windows key.
// A character of code page 1252 is typed with its key, or as its Alt code
// where the layout has none. Any other character, also where an escape
// wanted a byte (that escape ends there), goes as Unicode events
// (KEYEVENTF_UNICODE), which no layout and no Alt code can give: one
// press and release for each UTF-16 unit, both halves of a surrogate pair.
// Both hooks type it, each with key events of its own making.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/win_types.h"

// The key code a layout gives a character (VkKeyScanA): the virtual key in
// the low byte, the modifiers in the high one.
using TKeyScan = std::function<std::uint16_t(std::uint8_t character)>;
// One key event; bit 15 of the code asks for the extended key.
using TKeySend = std::function<void(std::uint16_t code, bool press)>;
// One Unicode event of a UTF-16 unit.
using TUnicodeSend = std::function<void(wchar_t unit, bool press)>;

struct TKeystroke {
    // The key to type with its modifiers, unless AltCode.
    std::uint16_t Code = 0;
    bool AltCode = false;
    std::uint8_t Character = 0;
    // A character outside code page 1252, typed as Unicode events instead.
    std::wstring Unicode;
};

// The character or escape at text[j]; j ends on the last character used.
TKeystroke ReadKeystroke(const std::wstring& text, std::size_t& j, const TKeyScan& scan);
// The events that type it, in order.
void SendKeystroke(const TKeystroke& keystroke, const TKeySend& send, const TUnicodeSend& sendUnicode);
// The SendInput record of one Unicode event, marked as the library's own.
win::KeyboardInput UnicodeInput(wchar_t unit, bool press);
