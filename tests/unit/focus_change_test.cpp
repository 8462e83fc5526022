// The keyboard focus moving to another program while a key is held: its
// release goes to that program, and the first one never sees it. Its
// thread's key state learns of it when the keyboard comes back; the
// library's modifier flags take it over at the next key, unless the
// library itself still expects that release.
#include "tests/unit/hook_fixture.h"

#include <string>

#include "common/key_flags.h"
#include "hook/macro_store.h"

using namespace win;

namespace {

constexpr std::uint8_t VK_TAB = 0x09;
constexpr std::uint8_t VK_AE = 0xDE;    // carries "ä" on a German keyboard
constexpr std::uint8_t VK_HASH = 0xBF;  // carries "#"

class FocusChangeTest : public HookFixture {
protected:
    void SetUp() override {
        HookFixture::SetUp();
        SetOption("Zolvik eingeschaltet", 1);
        SetOption("Umlautwandlung", 1);
        SetOption("UmlautMode", 0);
        SetOption("EasyBackslash", 1);
        machine.registry.PutString(AsciiUmlautKey, "000000DE", "ae");
        machine.registry.PutString(AsciiUmlautKey, "000100DE", "Ae");
        otherWindow = AddOtherApplication();
    }
    void Press(const std::vector<std::pair<std::uint8_t, bool>>& keys) {
        for (auto [key, extended] : keys) machine.Press(key, extended);
    }
    void Release(const std::vector<std::pair<std::uint8_t, bool>>& keys) {
        for (auto [key, extended] : keys) machine.Release(key, extended);
    }
    bool NumLockOn() const { return machine.keyboard.IsLockOn(VK_NUMLOCK); }

    Window otherWindow = 0;
};

// Pressed in the first program, let go of in the other one (Alt+Tab, or a
// click), then back: the first program's keys are plain again.
TEST_F(FocusChangeTest, ModifierLetGoOfElsewhereIsNotHeldAnyMore) {
    struct Case {
        const char* why;
        std::vector<std::pair<std::uint8_t, bool>> modifier;
        std::uint8_t key;
        std::string typed;
    };
    const Case cases[] = {
        {"Alt+Tab away", {{VK_MENU, false}}, VK_AE, "ae"},
        {"Shift", {{VK_SHIFT, false}}, VK_AE, "ae"},
        {"AltGr", {{VK_CONTROL, false}, {VK_MENU, true}}, VK_HASH, "\\"},
        {"Ctrl", {{VK_CONTROL, false}}, VK_AE, "ae"},
    };
    for (const Case& c : cases) {
        machine.Focus(machine.AppWindow());
        machine.ClearApp();
        Press(c.modifier);
        machine.Tap(VK_TAB);
        machine.Focus(otherWindow);
        Release(c.modifier);
        machine.Focus(machine.AppWindow());
        machine.ClearApp();
        machine.Tap(c.key);
        EXPECT_EQ(machine.AppText(), c.typed) << c.why;
        EXPECT_EQ(app->KeyFlags.Bits & 0x0F, 0) << c.why;
    }
}

// The person holds AltGr, and lets go of it just after pressing F while the
// E macro types. In the order the keys came, F was pressed with AltGr: the
// library's own release of AltGr, still on its way, is no reason to take it
// for plain.
TEST_F(FocusChangeTest, ReleaseTheLibraryStillExpectsDoesNotCount) {
    machine.registry.PutString(AltGrMacroKey, "00080045", "abc");
    machine.registry.PutString(AltGrMacroKey, "00080046", "x");
    machine.PressAltGr();
    machine.keyboard.UserEventAmidInjected(1, 'F', false, false);
    machine.keyboard.UserEventAmidInjected(2, 'F', false, true);
    machine.keyboard.UserEventAmidInjected(3, VK_CONTROL, false, true);
    machine.keyboard.UserEventAmidInjected(4, VK_MENU, true, true);
    machine.Tap('E');
    while (machine.keyboard.EnterNextScheduled()) machine.DeliverInput();
    EXPECT_EQ(machine.AppText(), "abcx");
    EXPECT_EQ(app->KeyFlags.Bits & 0x0F, 0);
}

// On Windows NT the swallowed press still switches the keyboard's Num Lock;
// the rule holds it on.
TEST_F(FocusChangeTest, AltGrNumLockLeavesNumLockOn) {
    for (bool startOn : {false, true}) {
        if (NumLockOn() != startOn) machine.Tap(VK_NUMLOCK);
        machine.PressAltGr();
        machine.Tap(VK_NUMLOCK);
        machine.ReleaseAltGr();
        EXPECT_TRUE(NumLockOn()) << "from " << (startOn ? "on" : "off");
        EXPECT_TRUE(app->KeyFlags.Contains(kfNumLock));
        EXPECT_TRUE(machine.keyboard.IsThreadKeyToggled(VK_NUMLOCK)) << "the window's state agrees";
    }
}

// "NUM Umschaltung sperren" owes a tap once the person lets go of Num Lock;
// when that release goes to another program the tap is dropped, never
// typed at a later release.
TEST_F(FocusChangeTest, NumLockTapDueWhenTheFocusMovedIsDropped) {
    SetOption("NUM Umschaltung sperren", 1);
    if (!NumLockOn()) machine.Tap(VK_NUMLOCK);
    machine.Press(VK_NUMLOCK);
    machine.Focus(otherWindow);
    machine.Release(VK_NUMLOCK);
    machine.Focus(machine.AppWindow());
    machine.Tap(VK_NUMLOCK);
    EXPECT_TRUE(NumLockOn());
    machine.Tap(VK_NUMLOCK);
    EXPECT_TRUE(NumLockOn()) << "held on again";
    EXPECT_EQ(app->Synthesised.Size(), 0u);
}

}  // namespace
