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

// MapVirtualKeyA for map types 0 to 3.
std::uint32_t LayoutMapVirtualKey(KeyboardLayout layout, std::uint32_t code,
                                  std::uint32_t mapType);

// What an application's TranslateMessage would make of the key events its
// window receives: the characters (WM_CHAR bytes) each event produces.
// keyState is the thread's keyboard state after the event.
class CharacterTranslator {
public:
    explicit CharacterTranslator(KeyboardLayout layout);
    std::string KeyDown(std::uint8_t virtualKey, std::uint32_t keyData,
                        const std::uint8_t keyState[256]);
    std::string KeyUp(std::uint8_t virtualKey, std::uint32_t keyData,
                      const std::uint8_t keyState[256]);

private:
    KeyboardLayout layout_;
};

}  // namespace sim
