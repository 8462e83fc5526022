#include "hook/macro_store.h"

#include <cstdio>

#include "common/key_code.h"
#include "settings/registry.h"

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "$" followed by one or two hex digits and nothing else.
int ConvertEscape(const std::string& escape) {
    if (escape.size() < 2) return -1;
    int value = 0;
    for (std::size_t i = 1; i < escape.size(); ++i) {
        int digit = HexDigit(escape[i]);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

std::string MacroValueName(std::uint16_t keyCode, TKeyFlags flags) {
    if (flags.Contains(kfAltGr)) flags.Bits &= 0xF9;
    char name[9];
    std::snprintf(name, sizeof name, "%08X", static_cast<unsigned>(CombineKeyCode(keyCode, flags)));
    return name;
}

// Positions are 0-based here; the text's length is taken afresh at every
// step since replacing escapes shrinks it. The last character never starts
// an escape.
std::string ExpandDollarEscapes(std::string text) {
    std::size_t i = 0;
    while (i + 1 < text.size()) {
        if (text[i] != '$') {
            ++i;
        } else if (text[i + 1] == '$') {
            text.erase(i, 1);
            ++i;
        } else {
            std::string escape = text.substr(i, 3);
            text.erase(i, escape.size());
            int value = ConvertEscape(escape);
            if (value >= 0) {
                text.insert(i, 1, static_cast<char>(value));
                ++i;
            }
        }
    }
    return text;
}

std::string ReadMacro(THookProcess& process, const std::string& keyPath, std::uint16_t keyCode,
                      TKeyFlags flags) {
    TRegistry registry(process.Api.registry);
    if (!registry.OpenSubkey(keyPath, false)) return std::string();
    std::string text;
    try {
        text = registry.ReadText(MacroValueName(keyCode, flags));
    } catch (const ERegistryException&) {
        return std::string();
    }
    if (text.find('$') != std::string::npos) text = ExpandDollarEscapes(text);
    return text;
}

// Caps Lock counts as Shift for these macros (with both, Shift once), and
// an extended key is told from its keypad twin by bit 15.
std::string LookupAltGrMacro(THookProcess& process, const TKeyEvent& event) {
    TKeyFlags flags = process.KeyFlags;
    if (flags.Contains(kfCapsLock)) {
        SetKeyFlag(flags, kfCapsLock, false);
        SetKeyFlag(flags, kfShift, true);
    }
    std::uint16_t keyCode = event.VirtualKey;
    if (event.KeyData & ExtendedKeyBit) keyCode |= ExtendedKeyCodeBit;
    return ReadMacro(process, AltGrMacroKey, keyCode, flags);
}

std::string LookupUmlautMacro(THookProcess& process, const TKeyEvent& event) {
    switch (process.OptionsRegistry.ReadUmlautMode()) {
        case 0:
            return ReadMacro(process, AsciiUmlautKey, event.VirtualKey, process.KeyFlags);
        case 1:
            return ReadMacro(process, HtmlUmlautKey, event.VirtualKey, process.KeyFlags);
        default:
            return std::string();
    }
}
