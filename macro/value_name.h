#pragma once
// The registry value name of a macro binding: the key code with its
// modifier byte as 8 upper-case hex digits, and back.
#include <cstdint>
#include <optional>
#include <string>

#include "common/key_flags.h"

struct TMacroKey {
    std::uint16_t KeyCode = 0;  // virtual key, bit 15 for an extended key
    TKeyFlags Flags;            // as the lookup feeds them in
};

// AltGr hides Ctrl and Alt, so AltGr+Ctrl+key names AltGr+key.
std::string MacroValueName(std::uint16_t keyCode, TKeyFlags flags);
std::string ValueNameOf(const TMacroKey& combo);

// The combination a value name stands for; none for a name that is not 8
// hex digits (either case, as Windows matches value names) with bits 24 to
// 31 clear.
std::optional<TMacroKey> ParseValueName(const std::string& name);
