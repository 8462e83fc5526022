// The key events TypeText makes, and what an application receives from them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "hook/typing.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"
#include "tests/unit/hook_fixture.h"

using namespace win;
using Events = std::vector<std::string>;

namespace {

// "P 41" and "R 41" for a press and a release, "e" after an extended key.
Events Recorded(const sim::SimKeyboard& keyboard) {
    Events events;
    for (const sim::KeyInput& input : keyboard.InjectedLog()) {
        char text[16];
        std::snprintf(text, sizeof text, "%c %02X%s", (input.flags & KEYEVENTF_KEYUP) ? 'R' : 'P',
                      input.virtualKey, (input.flags & KEYEVENTF_EXTENDEDKEY) ? "e" : "");
        events.push_back(text);
    }
    return events;
}

Events Concat(Events first, const Events& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

const Events Releases = {"R 12", "R 11", "R 10"};

struct SequenceCase {
    const char* why;
    std::string text;
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
        SequenceCase{"a", "a", true, SequenceCase::Nothing, Concat(Releases, {"P 41", "R 41"})},
        SequenceCase{"A", "A", true, SequenceCase::Nothing,
                     Concat(Releases, {"P 10", "P 41", "R 41", "R 10"})},
        SequenceCase{"228 has no key: Alt code", "\xE4", true, SequenceCase::Nothing,
                     Concat(Releases, {"P 12", "P 60", "R 60", "P 62", "R 62", "P 62", "R 62",
                                       "P 68", "R 68", "R 12"})},
        SequenceCase{"empty text", "", true, SequenceCase::Nothing, Releases},
        SequenceCase{"AltGr held on NT: right Alt released and pressed again", "a", true,
                     SequenceCase::AltGr,
                     {"R 12", "R 12e", "R 11", "R 10", "P 41", "R 41", "P 11", "P 12e"}},
        SequenceCase{"AltGr held on 9x", "a", false, SequenceCase::AltGr,
                     Concat(Releases, {"P 41", "R 41", "P 11", "P 12", "P 12e"})},
        SequenceCase{"Shift held on 9x", "a", false, SequenceCase::Shift,
                     Concat(Releases, {"P 41", "R 41", "P 10"})},
        SequenceCase{"Shift held on NT: pressed again", "a", true, SequenceCase::Shift,
                     Concat(Releases, {"P 41", "R 41", "P 10"})},
        SequenceCase{"lone escape at the end: virtual key 0", "\xFF", true, SequenceCase::Nothing,
                     Concat(Releases, {"P 00", "R 00"})},
        SequenceCase{"0xFF 0xFF at the end: 0xFF as Alt code", "\xFF\xFF", true,
                     SequenceCase::Nothing,
                     Concat(Releases, {"P 12", "P 60", "R 60", "P 62", "R 62", "P 65", "R 65",
                                       "P 65", "R 65", "R 12"})},
        SequenceCase{"0xFF s at the end: modifiers around key 0", "\xFF\x03", true,
                     SequenceCase::Nothing,
                     Concat(Releases, {"P 10", "P 11", "P 00", "R 00", "R 10", "R 11"})},
        SequenceCase{"Shift+Tab", "\xFF\x81\x09", true, SequenceCase::Nothing,
                     Concat(Releases, {"P 10", "P 09", "R 09", "R 10"})},
        SequenceCase{"Ctrl+C by character", "\xFF\x82" "c", true, SequenceCase::Nothing,
                     Concat(Releases, {"P 11", "P 43", "R 43", "R 11"})},
        SequenceCase{"Windows key + R by virtual key", "\xFF\x40R", true, SequenceCase::Nothing,
                     Concat(Releases, {"P 5C", "P 52", "R 52", "R 5C"})},
        SequenceCase{"character without key keeps no modifiers", "\xFF\x82\xE4", true,
                     SequenceCase::Nothing,
                     Concat(Releases, {"P 12", "P 60", "R 60", "P 62", "R 62", "P 62", "R 62",
                                       "P 68", "R 68", "R 12"})},
        SequenceCase{"Shift, Ctrl and Alt pressed and released in the same order",
                     "\xFF\x07" "A", true, SequenceCase::Nothing,
                     Concat(Releases, {"P 10", "P 11", "P 12", "P 41", "R 41", "R 10", "R 11",
                                       "R 12"})}),
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
