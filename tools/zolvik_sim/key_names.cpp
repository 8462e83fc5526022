#include "tools/zolvik_sim/key_names.h"

#include <cstdio>

#include "common/cp1252.h"
#include "common/key_bits.h"
#include "common/key_flags.h"
#include "hook/macro_store.h"
#include "platform/win_constants.h"
#include "tools/zolvik_sim/tool_error.h"

using namespace win;

namespace {

struct NamedKey {
    std::string_view name;  // code page 1252
    std::uint8_t virtualKey;
    bool extended;
};

// The navigation block and the arrows are extended keys; their keypad twins
// (Num Lock off) are not, and the macro store tells them apart.
constexpr NamedKey NamedKeys[] = {
    {"Tab", 0x09, false}, {"Enter", 0x0D, false}, {"Return", 0x0D, false},
    {"Space", 0x20, false}, {"Esc", 0x1B, false}, {"Escape", 0x1B, false},
    {"Backspace", 0x08, false}, {"Pause", 0x13, false}, {"CapsLock", 0x14, false},
    {"NumLock", 0x90, false}, {"ScrollLock", 0x91, false},
    {"Home", 0x24, true}, {"End", 0x23, true}, {"Ins", 0x2D, true}, {"Insert", 0x2D, true},
    {"Del", 0x2E, true}, {"Delete", 0x2E, true}, {"PgUp", 0x21, true}, {"PageUp", 0x21, true},
    {"PgDn", 0x22, true}, {"PageDown", 0x22, true},
    {"Left", 0x25, true}, {"Up", 0x26, true}, {"Right", 0x27, true}, {"Down", 0x28, true},
    {"NumHome", 0x24, false}, {"NumEnd", 0x23, false}, {"NumIns", 0x2D, false},
    {"NumDel", 0x2E, false}, {"NumPgUp", 0x21, false}, {"NumPgDn", 0x22, false},
    {"NumLeft", 0x25, false}, {"NumUp", 0x26, false}, {"NumRight", 0x27, false},
    {"NumDown", 0x28, false}, {"NumClear", 0x0C, false},
    {"Num0", 0x60, false}, {"Num1", 0x61, false}, {"Num2", 0x62, false}, {"Num3", 0x63, false},
    {"Num4", 0x64, false}, {"Num5", 0x65, false}, {"Num6", 0x66, false}, {"Num7", 0x67, false},
    {"Num8", 0x68, false}, {"Num9", 0x69, false},
    {"NumDecimal", 0x6E, false}, {"NumPlus", 0x6B, false}, {"NumMinus", 0x6D, false},
    {"NumMultiply", 0x6A, false}, {"NumDivide", 0x6F, true}, {"NumEnter", 0x0D, true},
    // The keys of the German layout by what they carry.
    {"\xC4", 0xDE, false}, {"Ae", 0xDE, false}, {"\xD6", 0xC0, false}, {"Oe", 0xC0, false},
    {"\xDC", 0xBA, false}, {"Ue", 0xBA, false}, {"\xDF", 0xDB, false}, {"Sz", 0xDB, false},
    {"Hash", 0xBF, false}, {"Plus", 0xBB, false}, {"Comma", 0xBC, false},
    {"Minus", 0xBD, false}, {"Period", 0xBE, false}, {"Caret", 0xDC, false},
    {"Acute", 0xDD, false}, {"Less", 0xE2, false},
    // Modifiers, pressed on their own.
    {"Shift", 0x10, false}, {"Ctrl", 0x11, false}, {"Alt", 0x12, false}, {"Win", 0x5C, true},
};

bool ParseFunctionKey(const std::string& name, std::uint8_t& virtualKey) {
    if (name.size() < 2 || name.size() > 3 || name[0] != 'F') return false;
    int number = 0;
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
        number = number * 10 + (name[i] - '0');
    }
    if (number < 1 || number > 24 || name[1] == '0') return false;
    virtualKey = static_cast<std::uint8_t>(VK_F1 + number - 1);
    return true;
}

bool ParseHexKey(const std::string& name, std::uint8_t& virtualKey) {
    if (name.size() != 4 || name[0] != '0' || name[1] != 'X') return false;
    unsigned value = 0;
    for (std::size_t i = 2; i < 4; ++i) {
        char c = name[i];
        bool digit = c >= '0' && c <= '9';
        if (!digit && !(c >= 'A' && c <= 'F')) return false;
        value = value * 16 + static_cast<unsigned>(digit ? c - '0' : c - 'A' + 10);
    }
    if (value == 0 || value == 0xFF) return false;
    virtualKey = static_cast<std::uint8_t>(value);
    return true;
}

bool IsModifierKey(std::uint8_t virtualKey) {
    return (virtualKey >= VK_SHIFT && virtualKey <= VK_MENU) || virtualKey == VK_RWIN ||
           virtualKey == 0x5B || (virtualKey >= VK_LSHIFT && virtualKey <= VK_RMENU);
}

std::uint8_t FlagsOf(const TKeyRef& modifier) {
    if (modifier.AltGr) return (1u << kfCtrl) | (1u << kfAlt) | (1u << kfAltGr);
    if (modifier.CapsLockOn) return 1u << kfCapsLock;
    switch (modifier.VirtualKey) {
        case VK_SHIFT: return 1u << kfShift;
        case VK_CONTROL: return 1u << kfCtrl;
        case VK_MENU: return 1u << kfAlt;
        default: return 1u << kfWin;
    }
}

std::string Shown(std::string_view name) { return "'" + Cp1252ToUtf8(name) + "'"; }

// The first name a script may give the key, in UTF-8.
std::string KeyName(std::uint8_t virtualKey) {
    bool letterOrDigit = (virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z');
    if (letterOrDigit) return std::string(1, static_cast<char>(virtualKey));
    if (virtualKey >= VK_F1 && virtualKey < VK_F1 + 24) return "F" + std::to_string(virtualKey - VK_F1 + 1);
    for (const NamedKey& key : NamedKeys) {
        if (key.virtualKey == virtualKey) return Cp1252ToUtf8(key.name);
    }
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", virtualKey);
    return text;
}

}  // namespace

TKeyRef ParseKeyName(std::string_view name) {
    std::string folded = UpperCase(name);
    if (folded == "ALTGR") return TKeyRef{0, false, true, false};
    for (const NamedKey& key : NamedKeys) {
        if (UpperCase(key.name) == folded) return TKeyRef{key.virtualKey, key.extended, false, false};
    }
    bool letterOrDigit = folded.size() == 1 && ((folded[0] >= 'A' && folded[0] <= 'Z') ||
                                                (folded[0] >= '0' && folded[0] <= '9'));
    if (letterOrDigit) return TKeyRef{static_cast<std::uint8_t>(folded[0]), false, false, false};
    std::uint8_t virtualKey = 0;
    if (ParseFunctionKey(folded, virtualKey) || ParseHexKey(folded, virtualKey)) {
        return TKeyRef{virtualKey, false, false, false};
    }
    if (name.empty()) throw ToolError("empty key name");
    throw ToolError("unknown key name " + Shown(name) + " (zolvik-sim help lists them)");
}

TKeyCombo ParseKeyCombo(std::string_view text) {
    std::vector<TKeyRef> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = std::min(text.find('+', start), text.size());
        std::string_view part = text.substr(start, end - start);
        if (part.empty()) throw ToolError("empty key name in " + Shown(text));
        TKeyRef key = ParseKeyName(part);
        bool last = end == text.size();
        if (!last && UpperCase(part) == "CAPSLOCK") key = TKeyRef{0, false, false, true};
        if (!last && !key.AltGr && !key.CapsLockOn && !IsModifierKey(key.VirtualKey)) {
            throw ToolError(Shown(part) + " is not a modifier (Shift, Ctrl, Alt, AltGr, Win, CapsLock) in " +
                            Shown(text));
        }
        parts.push_back(key);
        start = end + 1;
    }
    TKeyCombo combo;
    combo.Key = parts.back();
    parts.pop_back();
    combo.Modifiers = std::move(parts);
    return combo;
}

std::string MacroNameOf(const TKeyCombo& combo, bool umlaut) {
    if (combo.Key.AltGr || IsModifierKey(combo.Key.VirtualKey)) {
        throw ToolError("a modifier alone has no macro: the key rules never see Shift, Ctrl, Alt or Win");
    }
    TKeyFlags flags;
    for (const TKeyRef& modifier : combo.Modifiers) flags.Bits |= FlagsOf(modifier);
    std::uint16_t keyCode = combo.Key.VirtualKey;
    if (umlaut) {
        if (flags.ContainsAny(CtrlAltMask)) {
            throw ToolError("the umlaut tables are not consulted while Ctrl, Alt or AltGr is held");
        }
        return MacroValueName(keyCode, flags);
    }
    // As the AltGr lookup does: Caps Lock counts as Shift, and an extended
    // key carries bit 15.
    if (flags.Contains(kfCapsLock)) {
        SetKeyFlag(flags, kfCapsLock, false);
        SetKeyFlag(flags, kfShift, true);
    }
    if (combo.Key.Extended) keyCode |= ExtendedKeyCodeBit;
    return MacroValueName(keyCode, flags);
}

std::string VirtualKeyName(std::uint8_t virtualKey) {
    static const std::pair<std::uint8_t, const char*> Names[] = {
        {0x08, "VK_BACK"}, {0x09, "VK_TAB"}, {0x0C, "VK_CLEAR"}, {0x0D, "VK_RETURN"},
        {0x10, "VK_SHIFT"}, {0x11, "VK_CONTROL"}, {0x12, "VK_MENU"}, {0x13, "VK_PAUSE"},
        {0x14, "VK_CAPITAL"}, {0x1B, "VK_ESCAPE"}, {0x20, "VK_SPACE"}, {0x21, "VK_PRIOR"},
        {0x22, "VK_NEXT"}, {0x23, "VK_END"}, {0x24, "VK_HOME"}, {0x25, "VK_LEFT"},
        {0x26, "VK_UP"}, {0x27, "VK_RIGHT"}, {0x28, "VK_DOWN"}, {0x2D, "VK_INSERT"},
        {0x2E, "VK_DELETE"}, {0x5B, "VK_LWIN"}, {0x5C, "VK_RWIN"}, {0x5D, "VK_APPS"},
        {0x6A, "VK_MULTIPLY"}, {0x6B, "VK_ADD"}, {0x6D, "VK_SUBTRACT"}, {0x6E, "VK_DECIMAL"},
        {0x6F, "VK_DIVIDE"}, {0x90, "VK_NUMLOCK"}, {0x91, "VK_SCROLL"}, {0xBA, "VK_OEM_1"},
        {0xBB, "VK_OEM_PLUS"}, {0xBC, "VK_OEM_COMMA"}, {0xBD, "VK_OEM_MINUS"},
        {0xBE, "VK_OEM_PERIOD"}, {0xBF, "VK_OEM_2"}, {0xC0, "VK_OEM_3"}, {0xDB, "VK_OEM_4"},
        {0xDC, "VK_OEM_5"}, {0xDD, "VK_OEM_6"}, {0xDE, "VK_OEM_7"}, {0xE2, "VK_OEM_102"},
    };
    for (const auto& [key, name] : Names) {
        if (key == virtualKey) return name;
    }
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD0 + 9) {
        return "VK_NUMPAD" + std::to_string(virtualKey - VK_NUMPAD0);
    }
    if (virtualKey >= VK_F1 && virtualKey < VK_F1 + 24) return "VK_F" + std::to_string(virtualKey - VK_F1 + 1);
    char text[16];
    bool letterOrDigit = (virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z');
    if (letterOrDigit) {
        std::snprintf(text, sizeof text, "0x%02X '%c'", virtualKey, virtualKey);
    } else {
        std::snprintf(text, sizeof text, "0x%02X", virtualKey);
    }
    return text;
}

std::vector<std::string> KeysDownNames(const bool down[256]) {
    static const std::pair<std::uint8_t, const char*> Modifiers[] = {
        {VK_LSHIFT, "Shift"}, {VK_RSHIFT, "right Shift"}, {VK_LCONTROL, "Ctrl"}, {VK_RCONTROL, "right Ctrl"},
        {VK_LMENU, "Alt"},    {VK_RMENU, "right Alt"},    {0x5B, "left Win"},   {VK_RWIN, "Win"},
    };
    std::vector<std::string> names;
    for (const auto& [key, name] : Modifiers) {
        if (down[key]) names.push_back(name);
    }
    for (int key = 1; key < 256; ++key) {
        auto virtualKey = static_cast<std::uint8_t>(key);
        if (!down[key] || IsModifierKey(virtualKey)) continue;
        names.push_back(KeyName(virtualKey));
    }
    return names;
}
