// A 64-bit Windows with the tray program, its window hook and its
// low-level hook, which a thread of the tray's own installs and serves, and
// a 32-bit, a 64-bit and a Store application. The low-level hook acts for
// the 64-bit and Store ones, the window hook in the 32-bit one's process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/control_messages.h"
#include "hook/hook_procedure.h"
#include "hook/low_level_hook.h"
#include "hook/macro_store.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"
#include "settings/options_registry.h"
#include "tests/unit/library_per_process.h"

using namespace win;

namespace {

constexpr std::uint8_t VK_AE = 0xDE;    // carries "ä" on a German keyboard
constexpr std::uint8_t VK_HASH = 0xBF;  // carries "#"

class LowLevelPathTest : public LibraryPerProcessTest {
protected:
    Window app32 = machine.AddApplication(false);
    Window app64 = machine.AddApplication(true);
    Window store = machine.AddStoreApplication();
    std::uint32_t lowLevelThread = 0;

    void SetUp() override {
        machine.system.Set64BitWindows(true);
        StartTray();
        trayHook = Install(State(tray), 1);
        machine.system.CreateThread(LowLevelThread, this, &lowLevelThread);
        machine.system.AdvanceClock(1);
        ASSERT_EQ(machine.hooks.LowLevelCount(), 1u);
        SetOption("Zolvik eingeschaltet", 1);
        SetOption("Piepsen bei Umschaltungen", 1);
        SetOption("Umlautwandlung", 1);
        SetOption("UmlautMode", 0);
        SetOption("EasyBackslash", 1);
        machine.registry.PutString(AsciiUmlautKey, "000000DE", "ae");
        machine.registry.PutString(AsciiUmlautKey, "000100DE", "Ae");
        machine.registry.PutString(AltGrMacroKey, "00080045", "Hallo");
    }

    // Installs the hook, then checks it at each WM_TIMER, as the tray's
    // thread does every second.
    static std::uint32_t ZV_STDCALL LowLevelThread(void* param) {
        auto& test = *static_cast<LowLevelPathTest*>(param);
        InstallLowLevel(test.State(test.tray), 1);
        Message message;
        while (test.machine.windows.GetMessageA(&message, 0, 0, 0) > 0) {
            if (message.message == WM_TIMER) InstallLowLevel(test.State(test.tray), 2);
        }
        return 0;
    }
    void CheckHook() {
        machine.windows.PostThreadMessageA(lowLevelThread, WM_TIMER, 0, 0);
        machine.system.AdvanceClock(1);
    }

    void SetOption(const char* name, std::uint8_t value) { machine.registry.PutByte(SettingsKeyPath, name, value); }
    // The worker types while the machine's threads go on; the system takes
    // what it typed.
    void Settle() {
        for (int round = 0; round < 50; ++round) {
            machine.system.AdvanceClock(20);
            machine.DeliverInput();
        }
    }
};

TEST_F(LowLevelPathTest, EachKeyActsOnceInEveryKindOfApplication) {
    struct Case {
        const char* name;
        Window window;
        WParam scrollLockOnOff;
    };
    const Case cases[] = {{"64-bit", app64, 1}, {"Store", store, 2}, {"32-bit", app32, 1}, {"64-bit again", app64, 2}};
    for (const Case& c : cases) {
        machine.Focus(c.window);
        machine.ClearApp();
        machine.windows.ClearPosted();
        AltGr('E');
        Settle();
        machine.Tap(VK_AE);
        Settle();
        machine.Tap(VK_HASH);
        AltGr(VK_HASH);
        machine.Tap(VK_SCROLL);
        Settle();
        EXPECT_EQ(machine.AppText(c.window), "Halloae\\#") << c.name;
        EXPECT_EQ(SoundRequests(), (std::vector<WParam>{4, c.scrollLockOnOff})) << c.name;
        EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_MENU)) << c.name;
        EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_CONTROL)) << c.name;
    }
}

// The person's keys during a long macro wait behind it and are then
// decided as the person's, modifiers included: the text arrives as
// written, and the keys end as the person holds them.
TEST_F(LowLevelPathTest, ThePersonsKeysDuringALongMacroComeAfterItAsThePersons) {
    std::string macro(300, 'x');
    machine.registry.PutString(AltGrMacroKey, "00080045", macro);
    machine.Focus(app64);
    machine.PressAltGr();
    machine.Press('E');
    machine.keyboard.UserEventAmidInjected(40, 'E', false, true);
    machine.keyboard.UserEventAmidInjected(50, VK_CONTROL, false, true);
    machine.keyboard.UserEventAmidInjected(50, VK_MENU, true, true);
    machine.keyboard.UserEventAmidInjected(60, VK_AE, false, false);
    machine.keyboard.UserEventAmidInjected(61, VK_AE, false, true);
    machine.keyboard.UserEventAmidInjected(100, VK_SHIFT, false, false);
    machine.keyboard.UserEventAmidInjected(120, VK_AE, false, false);
    machine.keyboard.UserEventAmidInjected(121, VK_AE, false, true);
    Settle();
    EXPECT_EQ(machine.AppText(app64), macro + "aeAe");
    EXPECT_TRUE(machine.keyboard.IsAsyncKeyDown(VK_SHIFT)) << "still held";
    EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_MENU)) << "let go of during the macro";
    EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_CONTROL));
    machine.Release(VK_SHIFT);
    Settle();
    EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_SHIFT));
    machine.Tap(VK_AE);
    Settle();
    EXPECT_EQ(machine.AppText(app64), macro + "aeAeae");
}

// The window hook types a macro of umlauts in the 32-bit program; the focus
// moves to the 64-bit one meanwhile. What arrives there is the library's
// own and passes the low-level hook as it is: no umlaut there is
// converted again.
TEST_F(LowLevelPathTest, TheWindowHooksOwnEventsPassTheLowLevelHook) {
    machine.registry.PutString(AltGrMacroKey, "00080045", std::string(20, '\xE4'));
    machine.Focus(app32);
    machine.FocusAmidInjected(12, app64);
    AltGr('E');
    Settle();
    std::string text32 = machine.AppText(app32);
    std::string text64 = machine.AppText(app64);
    EXPECT_FALSE(text64.empty());
    EXPECT_EQ((text32 + text64).find_first_not_of('\xE4'), std::string::npos) << text32 + text64;
}

// Windows removes a hook that answers too late, without a word. Input
// newer than the hook's last call shows it gone, and the check installs it
// again; a hook in place stays as it is.
TEST_F(LowLevelPathTest, AHookWindowsRemovedIsInstalledAgainAtTheNextCheck) {
    machine.Focus(app64);
    machine.hooks.SetLowLevelHooksTimeout(0);
    machine.system.AdvanceClock(1500);
    machine.Tap(VK_AE);
    ASSERT_EQ(machine.hooks.LowLevelCount(), 0u);
    EXPECT_EQ(machine.AppText(app64), "\xE4") << "nothing served the key";

    machine.hooks.SetLowLevelHooksTimeout(300);
    CheckHook();
    ASSERT_EQ(machine.hooks.LowLevelCount(), 1u);
    HookHandle again = State(tray).LowLevel->Handle;
    machine.Tap(VK_AE);
    Settle();
    EXPECT_EQ(machine.AppText(app64), "\xE4" "ae");
    machine.system.AdvanceClock(1500);
    CheckHook();
    EXPECT_EQ(machine.hooks.LowLevelCount(), 1u);
    EXPECT_EQ(State(tray).LowLevel->Handle, again);
}

}  // namespace
