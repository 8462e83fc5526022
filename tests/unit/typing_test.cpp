// The key events TypeText makes, and what an application receives from them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/cp1252.h"
#include "hook/typing.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"
#include "tests/unit/hook_fixture.h"

using namespace win;
using Events = std::vector<std::string>;

namespace {

// "P 41" and "R 41" for a press and a release, "e" after an extended key;
// "P E7 0142" for a Unicode event of U+0142.
Events Recorded(const sim::SimKeyboard& keyboard) {
    Events events;
    for (const sim::KeyInput& input : keyboard.InjectedLog()) {
        char text[16];
        char direction = (input.flags & KEYEVENTF_KEYUP) ? 'R' : 'P';
        if (input.virtualKey == VK_PACKET) {
            std::snprintf(text, sizeof text, "%c E7 %04X", direction, input.scanCode);
        } else {
            std::snprintf(text, sizeof text, "%c %02X%s", direction, input.virtualKey,
                          (input.flags & KEYEVENTF_EXTENDEDKEY) ? "e" : "");
        }
        events.push_back(text);
    }
    return events;
}

Events Concat(Events first, const Events& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

const Events Releases = {"R 12", "R 11", "R 10"};

// Keystroke text as the library reads code page 1252 bytes.
std::wstring Bytes(const char* text) { return Cp1252ToWide(text); }

struct SequenceCase {
    const char* why;
    std::wstring text;
    bool windowsNT;
    enum { Nothing, AltGr, Shift } held;
    Events expected;
};

class TypingSequenceTest : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(TypingSequenceTest, ExactEvents) {
    const SequenceCase& c = GetParam();
    sim::SimMachine machine;
    machine.SetLayout(sim::KeyboardLayout::US);
    machine.system.SetWindowsNT(c.windowsNT);
    THookProcess process(machine.platform, 1);
    if (c.held == SequenceCase::AltGr) machine.PressAltGr();
    if (c.held == SequenceCase::Shift) machine.Press(VK_SHIFT);
    TypeText(process, c.text);
    EXPECT_EQ(Recorded(machine.keyboard), c.expected);
    EXPECT_EQ(process.Synthesised.Size(), c.expected.size()) << "every event expected";
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, TypingSequenceTest,
    ::testing::Values(
        SequenceCase{"a", Bytes("a"), true, SequenceCase::Nothing, Concat(Releases, {"P 41", "R 41"})},
        SequenceCase{"A", Bytes("A"), true, SequenceCase::Nothing,
                     Concat(Releases, {"P 10", "P 41", "R 41", "R 10"})},
        SequenceCase{"228 has no key: Alt code", Bytes("\xE4"), true, SequenceCase::Nothing,
                     Concat(Releases, {"P 12", "P 60", "R 60", "P 62", "R 62", "P 62", "R 62",
                                       "P 68", "R 68", "R 12"})},
        SequenceCase{"empty text", Bytes(""), true, SequenceCase::Nothing, Releases},
        SequenceCase{"AltGr held on NT: right Alt released and pressed again", Bytes("a"), true,
                     SequenceCase::AltGr,
                     {"R 12", "R 12e", "R 11", "R 10", "P 41", "R 41", "P 11", "P 12e"}},
        SequenceCase{"AltGr held on 9x", Bytes("a"), false, SequenceCase::AltGr,
                     Concat(Releases, {"P 41", "R 41", "P 11", "P 12", "P 12e"})},
        SequenceCase{"Shift held on 9x", Bytes("a"), false, SequenceCase::Shift,
                     Concat(Releases, {"P 41", "R 41", "P 10"})},
        SequenceCase{"Shift held on NT: pressed again", Bytes("a"), true, SequenceCase::Shift,
                     Concat(Releases, {"P 41", "R 41", "P 10"})},
        SequenceCase{"lone escape at the end: virtual key 0", Bytes("\xFF"), true, SequenceCase::Nothing,
                     Concat(Releases, {"P 00", "R 00"})},
        SequenceCase{"0xFF 0xFF at the end: 0xFF as Alt code", Bytes("\xFF\xFF"), true,
                     SequenceCase::Nothing,
                     Concat(Releases, {"P 12", "P 60", "R 60", "P 62", "R 62", "P 65", "R 65",
                                       "P 65", "R 65", "R 12"})},
        SequenceCase{"0xFF s at the end: modifiers around key 0", Bytes("\xFF\x03"), true,
                     SequenceCase::Nothing,
                     Concat(Releases, {"P 10", "P 11", "P 00", "R 00", "R 10", "R 11"})},
        SequenceCase{"Shift+Tab", Bytes("\xFF\x81\x09"), true, SequenceCase::Nothing,
                     Concat(Releases, {"P 10", "P 09", "R 09", "R 10"})},
        SequenceCase{"Ctrl+C by character", Bytes("\xFF\x82" "c"), true, SequenceCase::Nothing,
                     Concat(Releases, {"P 11", "P 43", "R 43", "R 11"})},
        SequenceCase{"Windows key + R by virtual key", Bytes("\xFF\x40R"), true, SequenceCase::Nothing,
                     Concat(Releases, {"P 5C", "P 52", "R 52", "R 5C"})},
        SequenceCase{"character without key keeps no modifiers", Bytes("\xFF\x82\xE4"), true,
                     SequenceCase::Nothing,
                     Concat(Releases, {"P 12", "P 60", "R 60", "P 62", "R 62", "P 62", "R 62",
                                       "P 68", "R 68", "R 12"})},
        SequenceCase{"Shift, Ctrl and Alt pressed and released in the same order",
                     Bytes("\xFF\x07" "A"), true, SequenceCase::Nothing,
                     Concat(Releases, {"P 10", "P 11", "P 12", "P 41", "R 41", "R 10", "R 11",
                                       "R 12"})},
        SequenceCase{"outside code page 1252: Unicode events, Caps Lock and modifiers as for any text",
                     L"\x0142", true, SequenceCase::Shift,
                     Concat(Releases, {"P E7 0142", "R E7 0142", "P 10"})},
        SequenceCase{"beyond U+FFFF: both halves of the surrogate pair", L"\xD83D\xDE00", true,
                     SequenceCase::Nothing,
                     Concat(Releases, {"P E7 D83D", "R E7 D83D", "P E7 DE00", "R E7 DE00"})},
        SequenceCase{"keys, Alt codes and Unicode mixed; an escape ends at a character outside 1252",
                     Bytes("a\xE4\xFF\x81") + L"\x2192" + Bytes("\xFF\xFF") + L"\x03B1" + Bytes("\x80"), true,
                     SequenceCase::Nothing,
                     Concat(Releases, {"P 41", "R 41", "P 12", "P 60", "R 60", "P 62", "R 62", "P 62", "R 62",
                                       "P 68", "R 68", "R 12", "P E7 2192", "R E7 2192", "P E7 03B1",
                                       "R E7 03B1", "P 12", "P 60", "R 60", "P 61", "R 61", "P 62", "R 62",
                                       "P 68", "R 68", "R 12"})}),
    [](const ::testing::TestParamInfo<SequenceCase>& param) {
        return "case" + std::to_string(param.index);
    });

TEST(TypingTest, EveryEventWaitsForIdle) {
    sim::SimMachine machine;
    machine.SetLayout(sim::KeyboardLayout::US);
    THookProcess process(machine.platform, 1);
    TypeText(process, "ab");
    // One wait per event, one per character, one at the end.
    EXPECT_EQ(machine.system.IdleWaitCount(), 7u + 2u + 1u);
    EXPECT_EQ(machine.system.SleepCount(), machine.system.IdleWaitCount());
}

// What the application receives, typed from inside the hook as a macro is.
class TypingRoundTripTest : public HookFixture {
protected:
    void TypeFromHook(const std::string& text) {
        TypeText(*app, text);
        machine.DeliverInput();
    }
    bool AnyModifierDown() const {
        for (std::uint8_t key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LSHIFT, VK_RSHIFT, VK_LCONTROL,
                                 VK_RCONTROL, VK_LMENU, VK_RMENU, VK_RWIN}) {
            if (machine.keyboard.IsThreadKeyDown(key) || machine.keyboard.IsAsyncKeyDown(key)) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(TypingRoundTripTest, EveryByteOnBothLayouts) {
    for (auto layout : {sim::KeyboardLayout::US, sim::KeyboardLayout::German}) {
        machine.SetLayout(layout);
        for (int byte = 0x20; byte <= 0xFF; ++byte) {
            machine.ClearApp();
            std::string text(1, static_cast<char>(byte));
            // The escape byte itself can only be typed as an Alt code.
            TypeFromHook(byte == 0xFF ? "\xFF\xFF\xFF" : text);
            // A dead key waits for the next key; a blank brings the accent.
            if (machine.AppText().empty()) TypeFromHook(" ");
            EXPECT_EQ(machine.AppText(), text) << "byte " << byte;
            EXPECT_FALSE(AnyModifierDown()) << "byte " << byte;
        }
    }
}

// The hook knows its Unicode events as its own (VK_PACKET) and lets them
// pass; what a window makes of them depends on whether it reads Unicode.
TEST_F(TypingRoundTripTest, CharactersOutsideCp1252ReachAUnicodeWindowExactlyAndAnAnsiOneAsQuestionMarks) {
    machine.SetLayout(sim::KeyboardLayout::German);
    machine.Tap(VK_CAPITAL);
    machine.ClearApp();
    const std::wstring text =
        L"\x0141ukasz W\x00F3jcik \x2192 \x2264 \x2713 \x2116 \x03B1\x03B2\x03B3 \xD83D\xDE00 \x20AC";
    TypeText(*app, text);
    machine.DeliverInput();
    EXPECT_EQ(machine.AppWideText(), text);
    EXPECT_EQ(machine.AppText(), "?ukasz W\xF3jcik ? ? ? ? ??? ?? \x80");
    EXPECT_EQ(app->Synthesised.Size(), 0u) << "every event taken as the library's own";
    EXPECT_FALSE(AnyModifierDown());
}

TEST_F(TypingRoundTripTest, CapsLockOnTypesTheTextAsWritten) {
    machine.SetLayout(sim::KeyboardLayout::German);
    machine.Tap(VK_CAPITAL);
    machine.ClearApp();
    TypeFromHook("Hallo Welt, \xC4rger \xFC" "ber \xDF 42!");
    EXPECT_EQ(machine.AppText(), "Hallo Welt, \xC4rger \xFC" "ber \xDF 42!");
    std::uint8_t state[256];
    machine.keyboard.GetKeyboardState(state);
    EXPECT_TRUE(state[VK_CAPITAL] & 1) << "Caps Lock stays on";
}

TEST_F(TypingRoundTripTest, AltGrHeldWhileTypingStillTypesAndActsAsAltGrAfterwards) {
    machine.SetLayout(sim::KeyboardLayout::German);
    machine.PressAltGr();
    TypeFromHook("abc");
    EXPECT_EQ(machine.AppText(), "abc");
    machine.ClearApp();
    machine.Tap('Q');
    EXPECT_EQ(machine.AppText(), "@") << "AltGr still held";
    machine.ReleaseAltGr();
    EXPECT_FALSE(AnyModifierDown());
}

TEST_F(TypingRoundTripTest, ShiftHeldOnNtIsReleasedForTheTextAndUpAfterTheUserLetsGo) {
    machine.SetLayout(sim::KeyboardLayout::US);
    machine.Press(VK_SHIFT);
    machine.ClearApp();
    TypeFromHook("ab");
    EXPECT_EQ(machine.AppText(), "ab");
    machine.Release(VK_SHIFT);
    EXPECT_FALSE(AnyModifierDown());
}

}  // namespace
