#pragma once
// The simulated keyboard layouts, US and German, over code page 1252, as
// Windows defines them.
#include <cstdint>
#include <string>

namespace sim {

enum class KeyboardLayout { US, German };

// VkKeyScanA: low byte the virtual key, high byte the shift state (1 Shift,
// 2 Ctrl, 4 Alt); -1 (0xFFFF) when the character has no key.
std::int16_t LayoutVkKeyScan(KeyboardLayout layout, char character);

// MapVirtualKeyA for map types 0 to 3; 0 for any other type.
// Type 0 compares the whole code with the virtual keys, so a code that
// carries shift-state bits above the low byte has no scan code (0), as on
// Windows. Types 1 and 3 take a scan code, or one with the 0xE0 or 0xE1
// prefix in the high byte.
std::uint32_t LayoutMapVirtualKey(KeyboardLayout layout, std::uint32_t code,
                                  std::uint32_t mapType);

// What an application's TranslateMessage would make of the key events its
// window receives: the characters (WM_CHAR bytes) each event produces.
// keyState is the thread's keyboard state after the event, with the generic
// VK_SHIFT, VK_CONTROL and VK_MENU entries set as GetKeyboardState gives them.
// Remembers a pending dead key and an Alt code being typed, as the thread's
// input state does on Windows.
class CharacterTranslator {
public:
    explicit CharacterTranslator(KeyboardLayout layout);
    std::string KeyDown(std::uint8_t virtualKey, std::uint32_t keyData,
                        const std::uint8_t keyState[256]);
    std::string KeyUp(std::uint8_t virtualKey, std::uint32_t keyData,
                      const std::uint8_t keyState[256]);

private:
    // Alt held and keypad digits typed: the character comes with the Alt
    // release. A leading 0 picks code page 1252, otherwise the OEM code page.
    struct AltCode {
        bool entered = false;
        bool ansi = false;
        unsigned value = 0;
    };

    std::string Translate(std::uint8_t virtualKey, const std::uint8_t keyState[256]);
    std::string Typed(char character);
    std::string CompletedAltCode() const;

    KeyboardLayout layout_;
    char pendingAccent_ = 0;  // the dead key's accent waiting for the next character
    AltCode altCode_;
};

}  // namespace sim
