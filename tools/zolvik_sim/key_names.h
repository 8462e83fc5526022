#pragma once
// Key names as people write them ("AltGr+Shift+E", "NumDecimal", "Ä",
// "0xBF"), and the virtual keys behind them. Names are code page 1252 text
// and compare without regard to case; letters name keys, not characters, so
// "a" and "A" are the same key.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TKeyRef {
    std::uint8_t VirtualKey = 0;
    bool Extended = false;
    // AltGr as Windows reports it: the left Ctrl key and the right Alt key.
    bool AltGr = false;
    // A lock key toggled on, as a modifier of a value name only.
    bool CapsLockOn = false;
};

struct TKeyCombo {
    std::vector<TKeyRef> Modifiers;  // in the order written
    TKeyRef Key;
};

// Throw ToolError naming what is wrong.
TKeyRef ParseKeyName(std::string_view name);
TKeyCombo ParseKeyCombo(std::string_view text);

// The macro value name the lookup reads for the combination: of the AltGr
// key, or with umlaut of the umlaut tables, where Caps Lock is not folded
// into Shift and the extended bit is never set.
std::string MacroNameOf(const TKeyCombo& combo, bool umlaut);

// "VK_SHIFT", "0x41 'A'", "0xE9" for key events.
std::string VirtualKeyName(std::uint8_t virtualKey);

// The keys the asynchronous key state shows down, by the names scripts use
// ("Shift", "right Alt", "F5", "A", "0xE9"), modifiers first; the side of a
// modifier is told when it is the right one, or the left Windows key.
std::vector<std::string> KeysDownNames(const bool down[256]);
