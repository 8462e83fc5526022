#include "hook/keystroke_text.h"

#include <cstdio>
#include <optional>

#include "common/cp1252.h"
#include "common/own_input.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

constexpr std::uint8_t Escape = 0xFF;
// What the layout answers for a character none of its keys types.
constexpr std::uint16_t NoKey = 0xFFFF;

struct Modifier {
    std::uint8_t shiftBit;
    std::uint8_t virtualKey;
};
// Pressed and released in this order, both times.
constexpr Modifier Modifiers[] = {{0x01, VK_SHIFT}, {0x02, VK_CONTROL}, {0x04, VK_MENU}, {0x40, VK_RWIN}};

void SendKey(std::uint16_t code, const TKeySend& send) {
    auto shiftState = static_cast<std::uint8_t>(code >> 8);
    for (const Modifier& modifier : Modifiers) {
        if (shiftState & modifier.shiftBit) send(modifier.virtualKey, true);
    }
    send(code, true);
    send(code, false);
    for (const Modifier& modifier : Modifiers) {
        if (shiftState & modifier.shiftBit) send(modifier.virtualKey, false);
    }
}

void SendAltCode(std::uint8_t character, const TKeySend& send) {
    char digits[5];
    std::snprintf(digits, sizeof digits, "0%u", static_cast<unsigned>(character));
    send(VK_MENU, true);
    for (const char* digit = digits; *digit; ++digit) {
        auto key = static_cast<std::uint16_t>(VK_NUMPAD0 + (*digit - '0'));
        send(key, true);
        send(key, false);
    }
    send(VK_MENU, false);
}

std::optional<std::uint8_t> ByteAt(const std::wstring& text, std::size_t j) {
    std::optional<char> byte = CodePointToCp1252(static_cast<char32_t>(text[j]));
    if (!byte) return std::nullopt;
    return static_cast<std::uint8_t>(*byte);
}

// The character at text[j] outside code page 1252, a surrogate pair whole.
TKeystroke UnicodeKeystroke(const std::wstring& text, std::size_t& j) {
    TKeystroke keystroke;
    std::size_t length = CharacterLength(text, j);
    keystroke.Unicode = text.substr(j, length);
    j += length - 1;
    return keystroke;
}

TKeystroke ReadKeyCode(const std::wstring& text, std::size_t& j, const TKeyScan& scan) {
    std::optional<std::uint8_t> character = ByteAt(text, j);
    if (!character) return UnicodeKeystroke(text, j);
    TKeystroke keystroke;
    keystroke.Character = *character;
    if (keystroke.Character != Escape) {
        keystroke.Code = scan(keystroke.Character);
        return keystroke;
    }
    if (++j >= text.size()) return keystroke;
    std::optional<std::uint8_t> modifiers = ByteAt(text, j);
    if (!modifiers) return UnicodeKeystroke(text, j);
    if (*modifiers == Escape) {
        keystroke.Code = NoKey;
        if (++j >= text.size()) return keystroke;
        character = ByteAt(text, j);
        if (!character) return UnicodeKeystroke(text, j);
        keystroke.Character = *character;
        return keystroke;
    }
    keystroke.Code = static_cast<std::uint16_t>((*modifiers & 0x7F) << 8);
    if (++j < text.size()) {
        character = ByteAt(text, j);
        if (!character) return UnicodeKeystroke(text, j);
        keystroke.Character = *character;
        keystroke.Code |= (*modifiers & 0x80) ? scan(keystroke.Character) : keystroke.Character;
    }
    return keystroke;
}

}  // namespace

// A character no key of the layout types goes in as an Alt code, also
// when an escape asked for modifiers.
TKeystroke ReadKeystroke(const std::wstring& text, std::size_t& j, const TKeyScan& scan) {
    TKeystroke keystroke = ReadKeyCode(text, j, scan);
    keystroke.AltCode = keystroke.Code == NoKey;
    return keystroke;
}

void SendKeystroke(const TKeystroke& keystroke, const TKeySend& send, const TUnicodeSend& sendUnicode) {
    if (!keystroke.Unicode.empty()) {
        for (wchar_t unit : keystroke.Unicode) {
            sendUnicode(unit, true);
            sendUnicode(unit, false);
        }
    } else if (keystroke.AltCode) {
        SendAltCode(keystroke.Character, send);
    } else {
        SendKey(keystroke.Code, send);
    }
}

KeyboardInput UnicodeInput(wchar_t unit, bool press) {
    return KeyboardInput{0, static_cast<std::uint16_t>(unit), KEYEVENTF_UNICODE | (press ? 0 : KEYEVENTF_KEYUP), 0,
                         OwnInputMarker};
}
