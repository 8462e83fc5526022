#pragma once
// Key combinations as people read them, in German ("AltGr+E",
// "Strg+Umschalt+F5", "Win+E"), and recorded from the key messages of a
// capture field.
#include <cstdint>
#include <optional>
#include <string>

#include "common/key_flags.h"
#include "macro/value_name.h"

// "Pos1", "Num 7", "F5", "#", "Taste 0xE9".
std::string KeyName(std::uint16_t keyCode);
// The modifiers in a fixed order, then the key. AltGr hides Ctrl and Alt as
// the value name does.
std::string ComboName(const TMacroKey& combo);

// The capture field: it receives the key messages of the keys pressed while
// it has the focus and keeps the modifier state as the hook library does:
// AltGr is the right Alt key (extended) and the right Windows key counts.
// What a value name cannot hold is recorded too, so that it is refused
// rather than dropped: Alt without AltGr, and the left Windows key. Caps
// Lock is no part of a combination: the library would read it as Shift.
class TKeyCapture {
public:
    // A key message: virtual key and key data (lParam of WM_KEYDOWN,
    // WM_SYSKEYDOWN, WM_KEYUP, WM_SYSKEYUP). True when a press completed a
    // combination.
    bool Key(std::uint16_t virtualKey, std::uint32_t keyData);
    // The modifiers held now, for the field to show while keys go down
    // ("Strg+Umschalt+").
    std::string Held() const;
    // The combination as pressed ("Alt+E" included).
    const std::string& Shown() const { return shown_; }
    // The combination to bind; none until keys were pressed, or when the
    // value name cannot hold them (Refusal then says why).
    const std::optional<TMacroKey>& Combo() const { return combo_; }
    const std::string& Refusal() const { return refusal_; }
    void Clear();

private:
    TKeyFlags flags_;
    bool leftWin_ = false;
    std::string shown_;
    std::optional<TMacroKey> combo_;
    std::string refusal_;
};
