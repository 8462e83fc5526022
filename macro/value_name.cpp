#include "macro/value_name.h"

#include "common/key_code.h"
#include "common/number_text.h"

std::string MacroValueName(std::uint16_t keyCode, TKeyFlags flags) {
    if (flags.Contains(kfAltGr)) flags.Bits &= 0xF9;
    return HexDigits(CombineKeyCode(keyCode, flags), 8);
}

std::string ValueNameOf(const TMacroKey& combo) { return MacroValueName(combo.KeyCode, combo.Flags); }

std::optional<TMacroKey> ParseValueName(const std::string& name) {
    if (name.size() != 8) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : name) {
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    if (value >> 24) return std::nullopt;
    TMacroKey combo;
    combo.KeyCode = static_cast<std::uint16_t>(value & 0xFFFF);
    combo.Flags.Bits = static_cast<std::uint8_t>(value >> 16);
    return combo;
}
