#pragma once
#include <cstdint>

// The settings of the system, each bound to one registry value name under
// "Software\Quendlin\Zolvik32\Settings".
enum TOption : std::uint8_t {
    opEnabled,
    opHideIcon,
    opNumDot,
    opEasyBackslash,
    opEasyTab,
    opNumLockLock,
    opBeepOnToggle,
    opUseSpeaker,
    opUmlautConversion,
    opUmlautMode,
    opDecimalDot,
    opSparePasswordFields,
};

inline constexpr int OptionCount = 12;

// The registry value name of a setting, in code page 1252.
const char* OptionValueName(TOption option);
// What a flag that is not stored reads as: 0, except for the one setting
// that protects password fields, which is on until it is switched off.
std::uint8_t OptionDefault(TOption option);
