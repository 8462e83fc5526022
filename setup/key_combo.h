#pragma once
// Key combinations as the macro store names them (the 8-digit value name of
// the key code and the modifier byte) and as people read them, in German:
// "AltGr+E", "Strg+Umschalt+F5", "Win+E".
#include <cstdint>
#include <optional>
#include <string>

#include "common/key_flags.h"

struct TKeyCombo {
    std::uint16_t KeyCode = 0;  // virtual key, bit 15 for an extended key
    TKeyFlags Flags;            // as the AltGr lookup feeds them in
};

// The value name's combination; none for a name that is not 8 hex digits
// with bits 24 to 31 clear.
std::optional<TKeyCombo> ParseValueName(const std::string& name);
std::string ValueNameOf(const TKeyCombo& combo);

// "Pos1", "Num 7", "F5", "#", "Taste 0xE9".
std::string KeyName(std::uint16_t keyCode);
// The modifiers in a fixed order, then the key. AltGr hides Ctrl and Alt as
// the value name does.
std::string ComboName(const TKeyCombo& combo);

// The capture field: it receives the key messages of the keys pressed while
// it has the focus and keeps the modifier state as the hook library does:
// AltGr is the right Alt key (extended), the right Windows key counts, the
// left one is a key of its own, and Caps Lock counts as Shift (pressing it
// toggles that state and records nothing).
class TKeyCapture {
public:
    // A key message: virtual key and key data (lParam of WM_KEYDOWN,
    // WM_SYSKEYDOWN, WM_KEYUP, WM_SYSKEYUP), and whether Caps Lock is on.
    // True when a press completed a combination.
    bool Key(std::uint16_t virtualKey, std::uint32_t keyData, bool capsLockOn);
    // The modifiers held now, for the field to show while keys go down
    // ("Strg+Umschalt+").
    std::string Held() const;
    const std::optional<TKeyCombo>& Combo() const { return combo_; }
    void Clear();

private:
    TKeyFlags flags_;
    std::optional<TKeyCombo> combo_;
};
