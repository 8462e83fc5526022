// The simulated layouts as an application sees them: the keys VkKeyScanA
// names type their character, Caps Lock, AltGr, Ctrl, the dead keys and Alt
// codes give what Windows gives. What the tables say key by key is checked
// against Wine by the keyboard layout contract test.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_layouts.h"

namespace {

using sim::KeyboardLayout;

namespace key {
constexpr std::uint8_t Backspace = 0x08, Tab = 0x09, Enter = 0x0D, Shift = 0x10, Ctrl = 0x11,
                       Alt = 0x12, CapsLock = 0x14, Space = 0x20, Home = 0x24, Left = 0x25,
                       Numpad0 = 0x60, Decimal = 0x6E, LeftShift = 0xA0, RightShift = 0xA1,
                       LeftCtrl = 0xA2, RightCtrl = 0xA3, LeftAlt = 0xA4, RightAlt = 0xA5,
                       Circumflex = 0xDC, Acute = 0xDD;
}

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// A keyboard in front of the translator: keeps the thread's key state as
// Windows does (generic modifier entries, the Caps Lock toggle) and collects
// the characters the application receives.
class Typist {
public:
    explicit Typist(KeyboardLayout layout) : layout_(layout), translator_(layout) {}

    void Down(std::uint8_t virtualKey, bool extended = false) {
        bool wasDown = state_[virtualKey] & 0x80;
        if (virtualKey == key::CapsLock && !wasDown) state_[key::CapsLock] ^= 0x01;
        state_[virtualKey] |= 0x80;
        text_ += translator_.KeyDown(virtualKey, KeyData(virtualKey, extended, wasDown, false),
                                     state_);
    }
    void Up(std::uint8_t virtualKey, bool extended = false) {
        state_[virtualKey] &= 0x7F;
        text_ += translator_.KeyUp(virtualKey, KeyData(virtualKey, extended, true, true), state_);
    }
    void Tap(std::uint8_t virtualKey, bool extended = false) {
        Down(virtualKey, extended);
        Up(virtualKey, extended);
    }
    // The modifiers of a VkKeyScanA shift state around the key, in the order
    // Shift, Ctrl, Alt.
    void TypeKeyCode(std::int16_t code) {
        auto shiftState = static_cast<unsigned>(code) >> 8 & 0xFF;
        const std::uint8_t modifiers[] = {key::Shift, key::Ctrl, key::Alt};
        for (unsigned bit = 0; bit < 3; ++bit) {
            if (shiftState & 1u << bit) Down(modifiers[bit]);
        }
        Tap(static_cast<std::uint8_t>(code & 0xFF));
        for (unsigned bit = 0; bit < 3; ++bit) {
            if (shiftState & 1u << bit) Up(modifiers[bit]);
        }
    }
    // Alt held, the digits on the keypad (Num Lock on), Alt released.
    void TypeAltCode(const std::string& digits) {
        Down(key::Alt);
        for (char digit : digits) Tap(static_cast<std::uint8_t>(key::Numpad0 + (digit - '0')));
        Up(key::Alt);
    }
    std::string TakeText() { return std::exchange(text_, std::string()); }

private:
    std::uint32_t KeyData(std::uint8_t virtualKey, bool extended, bool wasDown, bool release) {
        std::uint32_t scan = sim::LayoutMapVirtualKey(layout_, virtualKey, 0);
        return 1u | scan << 16 | (extended ? 1u << 24 : 0u) | (wasDown ? 1u << 30 : 0u) |
               (release ? 1u << 31 : 0u);
    }

    KeyboardLayout layout_;
    sim::CharacterTranslator translator_;
    std::uint8_t state_[256] = {};
    std::string text_;
};

bool IsDeadKey(KeyboardLayout layout, std::uint8_t virtualKey) {
    return sim::LayoutMapVirtualKey(layout, virtualKey, 2) & 0x80000000u;
}

class EveryLayout : public ::testing::TestWithParam<KeyboardLayout> {};

INSTANTIATE_TEST_SUITE_P(Layouts, EveryLayout,
                         ::testing::Values(KeyboardLayout::US, KeyboardLayout::German),
                         [](const ::testing::TestParamInfo<KeyboardLayout>& layout) {
                             return layout.param == KeyboardLayout::US ? "US" : "German";
                         });

// Every character comes back exactly: through its key, or as Alt + keypad
// 0 and its decimal code when it has none. A dead key's accent arrives only
// with the next key; a space makes it the accent itself.
TEST_P(EveryLayout, EveryCharacterRoundTrips) {
    KeyboardLayout layout = GetParam();
    Typist typist(layout);
    std::string accents;
    for (unsigned byte = 0x20; byte <= 0xFF; ++byte) {
        auto character = static_cast<char>(byte);
        std::int16_t code = sim::LayoutVkKeyScan(layout, character);
        if (code == -1) {
            typist.TypeAltCode("0" + std::to_string(byte));
        } else {
            typist.TypeKeyCode(code);
        }
        std::string received = typist.TakeText();
        if (received.empty()) {
            accents += character;
            EXPECT_TRUE(IsDeadKey(layout, static_cast<std::uint8_t>(code & 0xFF))) << Hex(byte);
            typist.Tap(key::Space);
            received = typist.TakeText();
        }
        EXPECT_EQ(received, std::string(1, character)) << Hex(byte);
    }
    EXPECT_EQ(accents, layout == KeyboardLayout::German ? "^`\xB4" : "");
}

// Every key that types a character has a scan code that leads back to it;
// the whole code with shift-state bits above the low byte has none.
TEST_P(EveryLayout, ScanCodesOfTheCharacterKeys) {
    KeyboardLayout layout = GetParam();
    for (unsigned byte = 0x20; byte <= 0xFF; ++byte) {
        std::int16_t code = sim::LayoutVkKeyScan(layout, static_cast<char>(byte));
        if (code == -1) continue;
        std::uint32_t whole = static_cast<std::uint16_t>(code);
        std::uint32_t virtualKey = whole & 0xFF;
        std::uint32_t scan = sim::LayoutMapVirtualKey(layout, virtualKey, 0);
        EXPECT_NE(scan, 0u) << Hex(byte);
        EXPECT_EQ(sim::LayoutMapVirtualKey(layout, scan, 1), virtualKey) << Hex(byte);
        EXPECT_EQ(sim::LayoutMapVirtualKey(layout, scan, 3), virtualKey) << Hex(byte);
        if (whole > 0xFF) {
            EXPECT_EQ(sim::LayoutMapVirtualKey(layout, whole, 0), 0u) << Hex(byte);
        }
    }
}

// Type 1 gives the generic modifier, type 3 the side; the generic key has
// the left key's scan code.
TEST_P(EveryLayout, ModifiersBySide) {
    KeyboardLayout layout = GetParam();
    const std::uint32_t cases[][3] = {
        {0x2A, key::Shift, key::LeftShift}, {0x36, key::Shift, key::RightShift},
        {0x1D, key::Ctrl, key::LeftCtrl},   {0xE01D, key::Ctrl, key::RightCtrl},
        {0x38, key::Alt, key::LeftAlt},     {0xE038, key::Alt, key::RightAlt},
    };
    for (const auto& [scanCode, generic, sided] : cases) {
        EXPECT_EQ(sim::LayoutMapVirtualKey(layout, scanCode, 1), generic) << Hex(scanCode);
        EXPECT_EQ(sim::LayoutMapVirtualKey(layout, scanCode, 3), sided) << Hex(scanCode);
    }
    EXPECT_EQ(sim::LayoutMapVirtualKey(layout, key::Shift, 0), 0x2Au);
    EXPECT_EQ(sim::LayoutMapVirtualKey(layout, key::Ctrl, 0), 0x1Du);
    EXPECT_EQ(sim::LayoutMapVirtualKey(layout, key::Alt, 0), 0x38u);
}

// The German keys the rest of the system names by their codes.
TEST(SimLayoutsTest, GermanKeysTheSystemNames) {
    const std::pair<char, std::uint16_t> keys[] = {
        {'@', 0x0651},    {'\\', 0x06DB}, {'#', 0x00BF},    {'\xE4', 0x00DE},
        {'\x80', 0x0645}, {'^', 0x00DC},  {'\xB4', 0x00DD}, {'`', 0x01DD},
        {'\xE2', 0xFFFF},
    };
    for (auto [character, code] : keys) {
        EXPECT_EQ(static_cast<std::uint16_t>(sim::LayoutVkKeyScan(KeyboardLayout::German, character)),
                  code)
            << Hex(static_cast<std::uint8_t>(character));
    }
    // Z and Y keep their virtual keys and swap places.
    EXPECT_EQ(sim::LayoutMapVirtualKey(KeyboardLayout::German, 'Z', 0),
              sim::LayoutMapVirtualKey(KeyboardLayout::US, 'Y', 0));
    EXPECT_EQ(sim::LayoutMapVirtualKey(KeyboardLayout::German, 'Y', 0),
              sim::LayoutMapVirtualKey(KeyboardLayout::US, 'Z', 0));
}

// A key pressed with modifiers: what the application receives.
struct Stroke {
    const char* reason;
    KeyboardLayout layout;
    std::vector<std::uint8_t> held;  // pressed in this order before the key
    std::uint8_t key;
    bool capsLock;
    std::string expected;
};

void PrintTo(const Stroke& c, std::ostream* out) { *out << c.reason; }

class StrokeTest : public ::testing::TestWithParam<Stroke> {};

TEST_P(StrokeTest, TypesWhatWindowsTypes) {
    const Stroke& stroke = GetParam();
    Typist typist(stroke.layout);
    if (stroke.capsLock) typist.Tap(key::CapsLock);
    for (std::uint8_t held : stroke.held) typist.Down(held, held == key::RightAlt);
    typist.Tap(stroke.key);
    EXPECT_EQ(typist.TakeText(), stroke.expected) << stroke.reason;
}

constexpr auto US = KeyboardLayout::US;
constexpr auto DE = KeyboardLayout::German;
using key::Alt;
using key::Ctrl;
using key::Shift;

INSTANTIATE_TEST_SUITE_P(
    CapsLock, StrokeTest,
    ::testing::Values(
        Stroke{"letters", US, {}, 'A', true, "A"},
        Stroke{"Shift undoes Caps Lock", US, {Shift}, 'A', true, "a"},
        Stroke{"US digits ignore Caps Lock", US, {}, '1', true, "1"},
        Stroke{"US punctuation ignores Caps Lock", US, {}, 0xBA, true, ";"},
        Stroke{"umlauts", DE, {}, 0xDE, true, "\xC4"},
        Stroke{"umlauts with Shift", DE, {Shift}, 0xC0, true, "\xF6"},
        Stroke{"German digits: Caps Lock locks Shift", DE, {}, '1', true, "!"},
        Stroke{"German sharp s", DE, {}, 0xDB, true, "?"},
        Stroke{"German minus is not affected", DE, {}, 0xBD, true, "-"},
        Stroke{"German < is not affected", DE, {}, 0xE2, true, "<"},
        Stroke{"not with AltGr", DE, {Ctrl, Alt}, 'Q', true, "@"},
        Stroke{"not with Ctrl", DE, {Ctrl}, 'A', true, "\x01"}));

INSTANTIATE_TEST_SUITE_P(
    AltGr, StrokeTest,
    ::testing::Values(
        Stroke{"Ctrl+Alt acts as AltGr", DE, {Ctrl, Alt}, 'Q', false, "@"},
        Stroke{"AltGr as Windows reports it", DE, {key::LeftCtrl, Ctrl, key::RightAlt, Alt},
               'Q', false, "@"},
        Stroke{"no AltGr character", DE, {Ctrl, Alt}, 'A', false, ""},
        Stroke{"Shift+AltGr types nothing", DE, {Shift, Ctrl, Alt}, 'Q', false, ""},
        Stroke{"the US layout has no AltGr", US, {Ctrl, Alt}, 'Q', false, ""}));

INSTANTIATE_TEST_SUITE_P(
    ControlKeys, StrokeTest,
    ::testing::Values(
        Stroke{"Ctrl+letter", US, {Ctrl}, 'A', false, "\x01"},
        Stroke{"Ctrl+Shift+letter", US, {Ctrl, Shift}, 'Z', false, "\x1A"},
        Stroke{"by the key's letter: German Z", DE, {Ctrl}, 'Z', false, "\x1A"},
        Stroke{"Ctrl+[", US, {Ctrl}, 0xDB, false, "\x1B"},
        Stroke{"Ctrl+ue", DE, {Ctrl}, 0xBA, false, "\x1B"},
        Stroke{"Ctrl+Shift+2 types NUL", US, {Ctrl, Shift}, '2', false, std::string(1, '\0')},
        Stroke{"Ctrl+2 types nothing", US, {Ctrl}, '2', false, ""},
        Stroke{"Ctrl+Enter", DE, {Ctrl}, key::Enter, false, "\n"},
        Stroke{"Ctrl+Backspace", US, {Ctrl}, key::Backspace, false, "\x7F"},
        Stroke{"Alt+letter is a system key", US, {Alt}, 'A', false, ""},
        Stroke{"Tab", DE, {}, key::Tab, false, "\t"},
        Stroke{"Enter", US, {}, key::Enter, false, "\r"},
        Stroke{"keypad digit", DE, {}, key::Numpad0 + 5, false, "5"},
        Stroke{"US keypad decimal", US, {}, key::Decimal, false, "."},
        Stroke{"German keypad decimal", DE, {}, key::Decimal, false, ","},
        Stroke{"no character", DE, {}, key::Left, false, ""}));

// German dead keys: keys tapped one after the other.
struct DeadKeyCase {
    const char* keys;  // c: circumflex, a: acute, g: grave (Shift+acute), S: Shift with the next
    const char* reason;
    std::string expected;
};

void PrintTo(const DeadKeyCase& c, std::ostream* out) { *out << c.reason; }

class DeadKeyTest : public ::testing::TestWithParam<DeadKeyCase> {};

TEST_P(DeadKeyTest, ComposesLikeWindows) {
    const DeadKeyCase& c = GetParam();
    Typist typist(KeyboardLayout::German);
    bool shift = false;
    for (const char* k = c.keys; *k; ++k) {
        if (*k == 'S') {
            shift = true;
            continue;
        }
        if (shift) typist.Down(key::Shift);
        switch (*k) {
            case 'c': typist.Tap(key::Circumflex); break;
            case 'a': typist.Tap(key::Acute); break;
            case 'g':
                typist.Down(key::Shift);
                typist.Tap(key::Acute);
                typist.Up(key::Shift);
                break;
            default: typist.Tap(static_cast<std::uint8_t>(*k)); break;
        }
        if (shift) typist.Up(key::Shift);
        shift = false;
    }
    EXPECT_EQ(typist.TakeText(), c.expected) << c.reason;
}

INSTANTIATE_TEST_SUITE_P(
    German, DeadKeyTest,
    ::testing::Values(DeadKeyCase{"cA", "^ a", "\xE2"}, DeadKeyCase{"cSA", "^ A", "\xC2"},
                      DeadKeyCase{"aE", "acute e", "\xE9"}, DeadKeyCase{"gA", "grave a", "\xE0"},
                      DeadKeyCase{"aY", "acute y", "\xFD"},
                      DeadKeyCase{"cX", "^ x does not combine", "^x"},
                      DeadKeyCase{"gY", "grave y does not combine", "`y"},
                      DeadKeyCase{"cc", "^ ^", "^^"},
                      DeadKeyCase{"ac", "acute ^", "\xB4^"},
                      DeadKeyCase{"c", "^ alone waits", ""}));

TEST(DeadKeyTest, ModifierKeysDoNotUseUpTheAccent) {
    Typist typist(KeyboardLayout::German);
    typist.Tap(key::Circumflex);
    typist.Tap(key::Shift);
    typist.Tap(key::CapsLock);
    typist.Tap('E');
    EXPECT_EQ(typist.TakeText(), "\xCA");
}

struct AltCodeCase {
    const char* reason;
    KeyboardLayout layout;
    std::string digits;
    std::string expected;
};

void PrintTo(const AltCodeCase& c, std::ostream* out) { *out << c.reason; }

class AltCodeTest : public ::testing::TestWithParam<AltCodeCase> {};

TEST_P(AltCodeTest, CompletesOnTheAltRelease) {
    const AltCodeCase& c = GetParam();
    Typist typist(c.layout);
    typist.Down(key::Alt);
    for (char digit : c.digits) typist.Tap(static_cast<std::uint8_t>(key::Numpad0 + digit - '0'));
    EXPECT_EQ(typist.TakeText(), "") << "nothing before the release";
    typist.Up(key::Alt);
    EXPECT_EQ(typist.TakeText(), c.expected) << c.reason;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, AltCodeTest,
    ::testing::Values(
        AltCodeCase{"without 0: ASCII", US, "65", "A"},
        AltCodeCase{"without 0: code page 850 on German systems", DE, "132", "\xE4"},
        AltCodeCase{"code page 850: o with stroke", DE, "155", "\xF8"},
        AltCodeCase{"code page 437: cent", US, "155", "\xA2"},
        AltCodeCase{"OEM symbols: section sign", DE, "21", "\xA7"},
        AltCodeCase{"box drawing has no 1252 character", US, "179", "?"},
        AltCodeCase{"taken modulo 256", US, "321", "A"},
        AltCodeCase{"leading 0 modulo 256", DE, "0484", "\xE4"},
        AltCodeCase{"code 0 types nothing", DE, "0", ""}));

TEST(AltCodeTest, KeypadWithNumLockOffCountsByScanCode) {
    Typist typist(KeyboardLayout::German);
    typist.Down(key::Alt);
    typist.Tap(key::Home);  // keypad 7
    typist.Tap(0x2D);       // Insert: keypad 0
    typist.Up(key::Alt);
    EXPECT_EQ(typist.TakeText(), "F");
    typist.Down(key::Alt);
    typist.Tap(key::Numpad0 + 6);
    typist.Tap(key::Home, true);  // the Home key beside the keypad starts over
    typist.Tap(key::Numpad0 + 6);
    typist.Tap(key::Numpad0 + 5);
    typist.Up(key::Alt);
    EXPECT_EQ(typist.TakeText(), "A");
}

TEST(AltCodeTest, NoCodeWithCtrlOrWithoutAlt) {
    Typist typist(KeyboardLayout::German);
    typist.Down(key::Ctrl);
    typist.TypeAltCode("065");
    typist.Up(key::Ctrl);
    EXPECT_EQ(typist.TakeText(), "") << "Ctrl+Alt with keypad digits types nothing";
    typist.Tap(key::Numpad0 + 6);
    typist.Tap(key::Alt);
    EXPECT_EQ(typist.TakeText(), "6") << "a digit before Alt is not part of a code";
}

TEST(AltCodeTest, HeldAltRepeatsDoNotRestartTheCode) {
    Typist typist(KeyboardLayout::US);
    typist.Down(key::Alt);
    typist.Tap(key::Numpad0 + 6);
    typist.Down(key::Alt);
    typist.Tap(key::Numpad0 + 6);
    typist.Up(key::Alt);
    EXPECT_EQ(typist.TakeText(), "B");
}

}  // namespace
