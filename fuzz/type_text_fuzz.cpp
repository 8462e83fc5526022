// TypeText over the simulated keyboard with any text, on both layouts, on
// Windows NT and on Windows 95/98, while the user holds any combination of
// modifiers, with Caps Lock on or off. Input: a byte of settings, a byte of
// held modifiers, then the text: code page 1252, or on Windows NT with bit 3
// of the settings UTF-16LE, any character.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/cp1252.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/hooked_desk.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

constexpr std::uint8_t VK_LWIN = 0x5B;

struct HeldKey {
    std::uint8_t virtualKey;
    bool extended;
};
// Bit n of the held-modifiers byte holds key n.
constexpr HeldKey HeldKeys[] = {{VK_SHIFT, false},   {VK_RSHIFT, false}, {VK_CONTROL, false},
                                {VK_CONTROL, true},  {VK_MENU, false},   {VK_MENU, true},
                                {VK_RWIN, false},    {VK_LWIN, false}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader input(data, size);
    const std::uint8_t settings = input.Byte();
    const std::uint8_t heldMask = input.Byte();
    const auto layout = (settings & 0x01) ? sim::KeyboardLayout::US : sim::KeyboardLayout::German;
    const bool windowsNT = !(settings & 0x02);
    const std::wstring text = windowsNT && (settings & 0x08) ? Utf16LeToWide(input.Rest()) : Cp1252ToWide(input.Rest());

    HookedDesk desk(layout, windowsNT);
    if (settings & 0x04) {
        desk.Press(VK_CAPITAL);
        desk.Release(VK_CAPITAL);
    }
    for (std::size_t bit = 0; bit < 8; ++bit) {
        if (heldMask & (1u << bit)) desk.Press(HeldKeys[bit].virtualKey, HeldKeys[bit].extended);
    }
    desk.machine.ClearApp();
    desk.Type(text);

    // Windows 95/98 cannot tell the left and right keys apart, and presses
    // all of Ctrl, Alt and right Alt again for a held AltGr; the simulation
    // tells the sides apart, so the checks of the keys themselves are made
    // for Windows NT.
    if (!windowsNT) return 0;
    desk.CheckOnlyHeldModifiersDown();
    bool windowsKeyHeld = heldMask & 0xC0;
    if (TypesExactly(text, layout) && !windowsKeyHeld) {
        FUZZ_CHECK(desk.machine.AppWideText() == text, "the application received the text exactly");
    }
    desk.ReleaseEverything();
    desk.CheckNoModifierDown();
    return 0;
}
