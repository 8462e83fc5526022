// The hook procedure on simulated key presses: what it counts, which flags
// it keeps, which sounds it requests, and what it lets pass.
#include "tests/unit/hook_fixture.h"

#include "common/key_flags.h"
#include "hook/sound_requests.h"

using namespace win;
using Events = std::vector<WParam>;

namespace {

class HookProcedureTest : public HookFixture {};

TEST_F(HookProcedureTest, LettersPassUnchangedAndTheHandleComesFromTheControlWindow) {
    machine.Tap('A');
    ASSERT_EQ(machine.AppMessages().size(), 2u);
    EXPECT_EQ(machine.AppMessages()[0].message, WM_KEYDOWN);
    EXPECT_EQ(machine.AppMessages()[1].message, WM_KEYUP);
    EXPECT_EQ(machine.AppMessages()[0].virtualKey, 'A');
    EXPECT_EQ(app->HookHandle, installed);
    EXPECT_EQ(hookRequests, 1) << "asked once, then known";
    ASSERT_FALSE(machine.hooks.NextHookCalls().empty());
    EXPECT_EQ(machine.hooks.NextHookCalls().back().hook, installed);
}

TEST(HookWithoutTrayTest, KeysPassWithAHandleOfZero) {
    sim::SimMachine machine;
    THookProcess tray(machine.platform, HookFixture::LibraryModule);
    Install(tray, 1);
    THookProcess app(machine.platform, HookFixture::LibraryModule);
    SetThisProcess(&app);
    machine.Tap('A');
    SetThisProcess(nullptr);
    EXPECT_EQ(app.HookHandle, 0u);
    EXPECT_EQ(machine.AppMessages().size(), 2u);
    EXPECT_EQ(machine.hooks.NextHookCalls().back().hook, 0u);
}

TEST_F(HookProcedureTest, NonActionCodePassesAfterTheHandleFetch) {
    LResult result = KeyboardHookProc(*app, 3, 'A', 1);
    EXPECT_EQ(app->HookHandle, installed);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(machine.hooks.NextHookCalls().size(), 1u);
    EXPECT_EQ(machine.hooks.NextHookCalls()[0].code, 3);
}

TEST_F(HookProcedureTest, ExpectedEventsPassUntouchedAndTheWindowsKeyCountsAtTheNextPress) {
    app->Synthesised.Expect({VK_SHIFT, false}, false, 0);
    app->Synthesised.Expect({VK_RWIN, true}, false, 0);
    app->Synthesised.Expect({VK_SHIFT, false}, true, 0);
    machine.Press(VK_SHIFT);
    machine.Press(VK_RWIN, true);
    machine.Release(VK_SHIFT);
    EXPECT_EQ(app->Synthesised.Size(), 0u);
    EXPECT_EQ(Flags(), 0u) << "the library's own events change no record";
    machine.Press(VK_MENU);
    EXPECT_TRUE(app->KeyFlags.Contains(kfAlt)) << "the fourth event is the user's";
    machine.Press('A');
    EXPECT_EQ(Flags(), (1u << kfAlt) | (1u << kfWin)) << "the Windows key is still down at the press";
    EXPECT_EQ(machine.AppMessages().size(), 5u);
}

// Any event but the next expected one is the user's, handled as always,
// and the expected ones stay expected; a second after the last sign of
// them, none of them comes any more.
TEST_F(HookProcedureTest, OtherEventsAmongTheExpectedAreTheUsers) {
    app->Synthesised.Expect({'A', false}, false, 0);
    app->Synthesised.Expect({'A', false}, true, 0);
    machine.Press(VK_SHIFT);
    machine.Press(VK_RSHIFT);
    machine.Press(VK_CONTROL, true);
    EXPECT_EQ(Flags(), (1u << kfShift) | (1u << kfCtrl));
    EXPECT_EQ(app->Synthesised.Size(), 2u);
    machine.Release('A');
    EXPECT_EQ(app->Synthesised.Size(), 2u) << "a release where a press is expected";
    machine.Tap('A');
    EXPECT_EQ(app->Synthesised.Size(), 0u) << "the press came after all";
    app->Synthesised.Expect({'A', false}, false, 0);
    app->Synthesised.Expect({'A', false}, true, 0);
    machine.Release('A');
    machine.Tap('B');
    EXPECT_EQ(app->Synthesised.Size(), 2u);
    machine.system.AdvanceClock(TSynthesisedEvents::AgeLimit + 1);
    machine.Tap('B');
    EXPECT_EQ(app->Synthesised.Size(), 0u) << "lost";
}

TEST_F(HookProcedureTest, AltKeys) {
    machine.Press(VK_MENU, true);
    EXPECT_EQ(Flags(), (1u << kfAlt) | (1u << kfAltGr)) << "right Alt";
    machine.Release(VK_MENU, true);
    machine.Press(VK_MENU);
    EXPECT_EQ(Flags(), 1u << kfAlt) << "left Alt";
    machine.Press(VK_MENU, true);
    machine.Release(VK_MENU, true);
    EXPECT_EQ(Flags(), 0u) << "releasing the right Alt clears both, the left one still held";
    machine.Release(VK_MENU);
    machine.PressAltGr();
    EXPECT_EQ(Flags(), (1u << kfCtrl) | (1u << kfAlt) | (1u << kfAltGr)) << "AltGr";
}

TEST_F(HookProcedureTest, CapsLockAnnouncesItsNewStateAtTheFirstPressOnly) {
    SetOption("Piepsen bei Umschaltungen", 1);
    machine.Press(VK_CAPITAL);
    EXPECT_TRUE(app->KeyFlags.Contains(kfCapsLock));
    EXPECT_EQ(SoundRequests(), (Events{seCapsLock, seOn}));
    machine.Press(VK_CAPITAL);  // auto-repeat
    EXPECT_TRUE(app->KeyFlags.Contains(kfCapsLock));
    machine.Release(VK_CAPITAL);
    EXPECT_TRUE(app->KeyFlags.Contains(kfCapsLock));
    EXPECT_EQ(SoundRequests().size(), 2u);
    machine.Tap(VK_CAPITAL);
    EXPECT_FALSE(app->KeyFlags.Contains(kfCapsLock));
    EXPECT_EQ(SoundRequests(), (Events{seCapsLock, seOn, seCapsLock, seOff}));
}

TEST_F(HookProcedureTest, LockSoundsNeedTheSetting) {
    SetOption("Piepsen bei Umschaltungen", 0);
    machine.Tap(VK_CAPITAL);
    machine.Tap(VK_SCROLL);
    EXPECT_TRUE(SoundRequests().empty());
    EXPECT_TRUE(app->KeyFlags.Contains(kfCapsLock));
    EXPECT_TRUE(app->KeyFlags.Contains(kfScrollLock));
}

TEST_F(HookProcedureTest, ScrollLockAndNumLock) {
    SetOption("Piepsen bei Umschaltungen", 1);
    machine.Tap(VK_SCROLL);
    machine.Tap(VK_NUMLOCK);
    EXPECT_EQ(SoundRequests(), (Events{seScrollLock, seOn, seNumLock, seOn}));
}

TEST_F(HookProcedureTest, NumLockWithAltGrUpdatesTheFlagButRequestsNoSound) {
    SetOption("Piepsen bei Umschaltungen", 1);
    machine.PressAltGr();
    machine.Tap(VK_NUMLOCK);
    EXPECT_TRUE(app->KeyFlags.Contains(kfNumLock));
    EXPECT_TRUE(SoundRequests().empty());
}

TEST_F(HookProcedureTest, LockStateAlreadyOnIsUnknownUntilTheKeyIsSeen) {
    std::uint8_t state[256] = {};
    state[VK_CAPITAL] = 0x01;
    machine.keyboard.SetKeyboardState(state);
    machine.Tap('A');
    EXPECT_FALSE(app->KeyFlags.Contains(kfCapsLock));
    machine.Tap(VK_CAPITAL);
    EXPECT_FALSE(app->KeyFlags.Contains(kfCapsLock)) << "switched off by this press";
}

TEST_F(HookProcedureTest, WronglyTypedSettingIsContainedAndTheKeyPasses) {
    machine.registry.Put(SettingsKeyPath, "Piepsen bei Umschaltungen", REG_DWORD, {1, 0, 0, 0});
    machine.Tap(VK_CAPITAL);
    ASSERT_EQ(machine.AppMessages().size(), 2u);
    EXPECT_EQ(machine.AppMessages()[0].virtualKey, VK_CAPITAL);
    EXPECT_TRUE(SoundRequests().empty());
}

TEST_F(HookProcedureTest, InstallAndRemove) {
    EXPECT_NE(installed, 0u);
    EXPECT_EQ(Install(tray, 0), 0u);
    EXPECT_EQ(machine.hooks.InstalledCount(), 0u);
    EXPECT_EQ(Install(tray, 0), 0u) << "removing no hook fails and leaves 0";
    machine.hooks.SetInstallFails(true);
    EXPECT_EQ(Install(tray, 1), 0u);
}

TEST_F(HookProcedureTest, FailedUnhookKeepsTheHandle) {
    tray.HookHandle = 0x1234;
    EXPECT_EQ(Install(tray, 0), 0x1234u);
}

TEST(RequestSoundTest, Results) {
    sim::SimMachine machine;
    THookProcess process(machine.platform, 1);
    EXPECT_TRUE(RequestSound(process, seOn)) << "not wanted: nothing to do";
    machine.registry.PutByte(SettingsKeyPath, "Piepsen bei Umschaltungen", 1);
    EXPECT_FALSE(RequestSound(process, seOn)) << "wanted, no control window";
    Window control = machine.windows.AddWindow(ControlWindowName, ControlWindowName);
    EXPECT_TRUE(RequestOnOffSound(process, false));
    EXPECT_EQ(machine.windows.PostedTo(control),
              (std::vector<sim::PostedMessage>{{control, UM_PLAYSOUND, seOff, 0}}));
}

TEST(PlatformDetectionTest, WindowsNtAndWindows9x) {
    sim::SimMachine machine;
    EXPECT_TRUE(THookProcess(machine.platform, 1).IsWinNT);
    machine.system.SetWindowsNT(false);
    EXPECT_FALSE(THookProcess(machine.platform, 1).IsWinNT);
}

TEST(KeyFlagsTest, MembersAboveSevenChangeNothing) {
    TKeyFlags flags;
    SetKeyFlag(flags, kfWin, true);
    SetKeyFlag(flags, 8, true);
    SetKeyFlag(flags, kfShift, true);
    SetKeyFlag(flags, kfShift, false);
    EXPECT_EQ(KeyFlagsToByte(flags), 0x80);
}

}  // namespace
