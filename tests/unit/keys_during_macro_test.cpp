// A person's own keys among the events a macro types. On Windows both reach
// the application in time order, and a long macro takes a good part of a
// second; under Wine a person's X events are read only after the hook has
// returned, so these interleavings can be shown in the simulation only.
#include "tests/unit/hook_fixture.h"

#include <string>

#include "common/key_flags.h"
#include "hook/macro_store.h"
#include "common/sound_events.h"

using namespace win;

namespace {

constexpr std::uint8_t VK_F5 = VK_F1 + 4;
constexpr std::uint8_t VK_F6 = VK_F1 + 5;
const std::string LongText(300, 'a');

class KeysDuringMacroTest : public HookFixture {
protected:
    void SetUp() override {
        HookFixture::SetUp();
        SetOption("Zolvik eingeschaltet", 1);
    }
    void Bind(const char* name, const std::string& text) {
        machine.registry.PutString(AltGrMacroKey, name, text);
    }
    // The person's event enters after this many more synthesised events.
    void Amid(std::size_t injected, std::uint8_t key, bool extended, bool release) {
        machine.keyboard.UserEventAmidInjected(injected, key, extended, release);
    }
    bool Down(std::uint8_t key) const {
        return machine.keyboard.IsThreadKeyDown(key) || machine.keyboard.IsAsyncKeyDown(key);
    }
    bool AnyModifierDown() const {
        for (std::uint8_t key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LSHIFT, VK_RSHIFT, VK_LCONTROL,
                                 VK_RCONTROL, VK_LMENU, VK_RMENU}) {
            if (Down(key)) return true;
        }
        return false;
    }
};

// The fast typist lets go of AltGr right after the macro key.
TEST_F(KeysDuringMacroTest, AltGrReleasedEarlyInALongMacroIsUpAfterIt) {
    Bind("00080045", LongText);
    machine.PressAltGr();
    Amid(5, VK_CONTROL, false, true);
    Amid(5, VK_MENU, true, true);
    machine.Tap('E');
    EXPECT_EQ(machine.AppText(), LongText);
    EXPECT_EQ(app->Synthesised.Size(), 0u) << "every synthesised event recognised";
    EXPECT_EQ(Flags() & 0x0F, 0u) << "the library saw AltGr go";
    EXPECT_FALSE(AnyModifierDown()) << "the pressed-again AltGr was released again";
    machine.ClearApp();
    machine.Tap('E');
    EXPECT_EQ(machine.AppText(), "e") << "a plain letter is no AltGr macro";
}

TEST_F(KeysDuringMacroTest, ModifierStillHeldAfterTheMacroIsDownAgain) {
    struct Case {
        const char* why;
        std::uint8_t modifier;
        bool extended;
        const char* name;  // of Modifier+F5
        std::uint8_t side;
    };
    const Case cases[] = {
        {"left Ctrl", VK_CONTROL, false, "00020074", VK_LCONTROL},
        {"right Ctrl", VK_CONTROL, true, "00020074", VK_RCONTROL},
        {"left Shift", VK_SHIFT, false, "00010074", VK_LSHIFT},
        {"right Shift", VK_RSHIFT, false, "00010074", VK_RSHIFT},
        {"left Alt", VK_MENU, false, "00000074", VK_LMENU},
    };
    for (const Case& c : cases) {
        Bind(c.name, "a");
        machine.ClearApp();
        machine.Press(c.modifier, c.extended);
        machine.Tap(VK_F5);
        EXPECT_TRUE(machine.keyboard.IsThreadKeyDown(c.side)) << c.why;
        EXPECT_TRUE(machine.keyboard.IsAsyncKeyDown(c.side)) << c.why;
        machine.Release(c.modifier, c.extended);
        EXPECT_FALSE(AnyModifierDown()) << c.why;
        EXPECT_EQ(Flags() & 0x0F, 0u) << c.why;
    }
    // As zolvik-sim run --reg R down:Ctrl F5 C up:Ctrl shows it.
    Bind("00020074", "a");
    machine.ClearApp();
    machine.Press(VK_CONTROL);
    machine.Tap(VK_F5);
    machine.Tap('C');
    machine.Release(VK_CONTROL);
    EXPECT_EQ(machine.AppText(), "a\x03") << "C came with Ctrl, not as a c";
}

// Released while the macro types: pressed again after it, then released
// again, so nothing is left down that nobody holds.
TEST_F(KeysDuringMacroTest, ModifierReleasedDuringTheMacroEndsUp) {
    for (std::uint8_t modifier : {VK_CONTROL, VK_SHIFT, VK_MENU}) {
        Bind(modifier == VK_CONTROL ? "00020074" : modifier == VK_SHIFT ? "00010074" : "00000074",
             "abc");
        machine.Press(modifier);
        machine.ClearApp();
        Amid(4, modifier, false, true);
        machine.Tap(VK_F5);
        EXPECT_EQ(machine.AppText(), "abc") << int(modifier);
        EXPECT_FALSE(AnyModifierDown()) << int(modifier);
        EXPECT_EQ(Flags() & 0x0F, 0u) << int(modifier);
        EXPECT_EQ(app->Synthesised.Size(), 0u);
    }
}

// Pressed while the macro types, after the macro released the modifiers:
// the person holds it, so Windows shows it down at the end.
TEST_F(KeysDuringMacroTest, ModifierPressedDuringTheMacroIsDownAfterIt) {
    Bind("00000074", "ABC");
    Amid(2, VK_SHIFT, false, false);
    machine.Tap(VK_F5);
    EXPECT_TRUE(Down(VK_LSHIFT));
    EXPECT_TRUE(app->KeyFlags.Contains(kfShift));
    machine.Release(VK_SHIFT);
    EXPECT_FALSE(AnyModifierDown());
}

TEST_F(KeysDuringMacroTest, ALetterTypedDuringAMacroIsThePersons) {
    Bind("00000074", "abcdef");
    Bind("00000075", "XY");
    Amid(7, 'X', false, false);
    Amid(7, 'X', false, true);
    machine.Tap(VK_F5);
    EXPECT_EQ(machine.AppText(), "abxcdef") << "it comes where the person typed it";

    machine.ClearApp();
    Amid(5, VK_F6, false, false);
    Amid(5, VK_F6, false, true);
    machine.Tap(VK_F5);
    EXPECT_EQ(machine.AppText(), "abcdefXY") << "its own macro follows the one running";
    EXPECT_EQ(app->Synthesised.Size(), 0u);
}

// A Caps Lock tap of the person's among the macro's own Caps Lock taps,
// which type the text as written.
TEST_F(KeysDuringMacroTest, CapsLockTappedDuringAMacroIsAnnouncedAsItEnds) {
    SetOption("Piepsen bei Umschaltungen", 1);
    Bind("00010074", "abc");  // Caps Lock counts as Shift
    machine.Tap(VK_CAPITAL);
    EXPECT_TRUE(app->KeyFlags.Contains(kfCapsLock));
    machine.windows.ClearPosted();
    Amid(6, VK_CAPITAL, false, false);
    Amid(6, VK_CAPITAL, false, true);
    machine.Tap(VK_F5);
    std::uint8_t state[256];
    machine.keyboard.GetKeyboardState(state);
    EXPECT_FALSE(state[VK_CAPITAL] & 1) << "on, then tapped off";
    EXPECT_FALSE(app->KeyFlags.Contains(kfCapsLock));
    EXPECT_EQ(SoundRequests(), (std::vector<WParam>{seCapsLock, seOff}));
}

}  // namespace

// Found by fuzzing: the person presses the macro key again just when the
// macro is about to type that very letter. The library takes the person's
// "e" for its own, and its own "e" for the person's, which runs the macro
// once more: what arrives is what the person's key would have given.
TEST_F(KeysDuringMacroTest, TheSameKeyAsTheNextTypedOneSwapsPlaces) {
    Bind("00080045", "renn");
    machine.Press(VK_MENU, true);
    Amid(2, 'E', false, true);
    Amid(6, 'E', false, false);
    Amid(7, 'E', false, true);
    machine.Press('E');
    EXPECT_EQ(machine.AppText(), "rennrenn");
    EXPECT_EQ(app->Synthesised.Size(), 0u) << "every synthesised event recognised";
    machine.Release(VK_MENU, true);
    EXPECT_FALSE(AnyModifierDown());
}
