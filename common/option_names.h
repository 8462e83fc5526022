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
};

inline constexpr int OptionCount = 11;

// The registry value name of a setting, in code page 1252.
const char* OptionValueName(TOption option);
