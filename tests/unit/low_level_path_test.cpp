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


class LowLevelPathTest : public LibraryPerProcessTest {
protected:
    Window app32 = machine.AddApplication(false);
    Window app64 = machine.AddApplication(true);
    Window store = machine.AddStoreApplication();
    // Started elevated: the input the tray makes does not reach it.
    Window elevated = machine.AddApplication(true);
    std::uint32_t lowLevelThread = 0;

    void SetUp() override {
        machine.system.Set64BitWindows(true);
        machine.system.SetIntegrity(ProcessOf(elevated), sim::SimSystem::Integrity::High);
        StartTray();
        trayHook = Install(State(tray), 1);
        machine.system.CreateThread(LowLevelThread, this, &lowLevelThread);
        machine.system.AdvanceClock(1);
        ASSERT_EQ(machine.hooks.LowLevelCount(), 1u);
        TurnFeaturesOn();
        SetOption("NUM Punkt", 1);
        machine.registry.PutString(AsciiUmlautKey, "000100DE", "Ae");
        machine.registry.PutString(AltGrMacroKey, "00080044", "^*49\"dd.mm.yyyy\"*40");
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

    // The worker types while the machine's threads go on; the system takes
    // what it typed.
    void Settle() {
        for (int round = 0; round < 50; ++round) {
            machine.system.AdvanceClock(20);
            machine.DeliverInput();
        }
    }
};

// An elevated window takes no input from the tray: the hook leaves its
// keys alone, and the keys after it are served as before. The lock keys'
// sounds do not ask for the master switch.
TEST_F(LowLevelPathTest, EachKeyActsOnceInEveryKindOfApplication) {
    struct Case {
        const char* name;
        Window window;
        bool enabled;
        const char* text;
        std::vector<WParam> sounds;
    };
    const std::vector<WParam> served{3, 1, 3, 2, 4, 1};
    const char* untouched = "\x80" "\xE4,#";
    const Case cases[] = {{"64-bit", app64, true, "Hallo07.12.2026ae.\\#", served},
                          {"Store", store, true, "Hallo07.12.2026ae.\\#", {3, 1, 3, 2, 4, 2}},
                          {"32-bit", app32, true, "Hallo07.12.2026ae.\\#", served},
                          {"elevated", elevated, true, untouched, {}},
                          {"64-bit again", app64, true, "Hallo07.12.2026ae.\\#", served},
                          {"switched off", app64, false, untouched, {3, 1, 3, 2, 4, 2}},
                          {"32-bit switched off", app32, false, untouched, served}};
    for (const Case& c : cases) {
        SetOption("Zolvik eingeschaltet", c.enabled);
        machine.Focus(c.window);
        machine.ClearApp();
        machine.windows.ClearPosted();
        AltGr('E');
        AltGr('D');
        Settle();
        machine.Tap(VK_AE);
        Settle();
        machine.Tap(VK_DECIMAL);
        machine.Tap(VK_HASH);
        AltGr(VK_HASH);
        for (std::uint8_t key : {VK_CAPITAL, VK_CAPITAL, VK_SCROLL}) machine.Tap(key);
        Settle();
        EXPECT_EQ(machine.AppText(c.window), c.text) << c.name;
        EXPECT_EQ(SoundRequests(), c.sounds) << c.name;
        EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_MENU)) << c.name;
        EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_CONTROL)) << c.name;
    }
}

// A macro and an umlaut table with characters outside code page 1252 reach
// a Unicode window whole, typed by either hook, each knowing its Unicode
// events as its own; an ANSI window gets "?" for them.
TEST_F(LowLevelPathTest, AnyCharacterReachesEveryKindOfApplication) {
    const std::wstring text = L"\x0141ukasz \x2192 10 \x2713 \xD83D\xDE00 \x03B1";
    machine.registry.PutWideString(AltGrMacroKey, "00080055", text);
    machine.registry.PutWideString(AsciiUmlautKey, "000000DE", L"\x0142");
    for (Window window : {app64, store, app32}) {
        machine.Focus(window);
        machine.ClearApp();
        AltGr('U');
        Settle();
        machine.Tap(VK_AE);
        machine.Tap('X');
        Settle();
        EXPECT_EQ(machine.AppWideText(window), text + L"\x0142x");
        EXPECT_EQ(machine.AppText(window), "?ukasz ? 10 ? ?? ??x");
        EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_MENU));
        EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_CONTROL));
    }
}

// Num Lock stays on where the setting holds it, and AltGr+Num Lock
// switches the keypad's decimal text without switching Num Lock, in
// every kind of application alike.
TEST_F(LowLevelPathTest, NumLockStaysOnInEveryKindOfApplication) {
    machine.Tap(VK_NUMLOCK, true);
    Settle();
    ASSERT_TRUE(machine.keyboard.IsLockOn(VK_NUMLOCK));
    SetOption("NUM Umschaltung sperren", 1);
    for (Window window : {app64, store, app32, app64}) {
        machine.Focus(window);
        machine.Tap(VK_NUMLOCK, true);
        Settle();
        EXPECT_TRUE(machine.keyboard.IsLockOn(VK_NUMLOCK)) << window;
        std::vector<std::uint8_t> decimalText = machine.registry.Get(SettingsKeyPath, "NUM Punkt")->data;
        machine.PressAltGr();
        machine.Tap(VK_NUMLOCK, true);
        machine.ReleaseAltGr();
        Settle();
        EXPECT_TRUE(machine.keyboard.IsLockOn(VK_NUMLOCK)) << window;
        EXPECT_NE(machine.registry.Get(SettingsKeyPath, "NUM Punkt")->data, decimalText) << window;
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
    machine.keyboard.UserEventAmidInjected(130, 'X', false, false);
    machine.keyboard.UserEventAmidInjected(131, 'X', false, true);
    Settle();
    EXPECT_EQ(machine.AppText(app64), macro + "aeAeX");
    EXPECT_TRUE(machine.keyboard.IsAsyncKeyDown(VK_SHIFT)) << "still held";
    EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_MENU)) << "let go of during the macro";
    EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_CONTROL));
    machine.Release(VK_SHIFT);
    Settle();
    EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_SHIFT));
    machine.Tap(VK_AE);
    Settle();
    EXPECT_EQ(machine.AppText(app64), macro + "aeAeXae");
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
// again; a hook in place stays as it is. The Shift key let go of meanwhile
// does not count as held.
TEST_F(LowLevelPathTest, AHookWindowsRemovedIsInstalledAgainAtTheNextCheck) {
    machine.Focus(app64);
    machine.Press(VK_SHIFT);
    machine.hooks.SetLowLevelHooksTimeout(0);
    machine.system.AdvanceClock(1500);
    machine.Release(VK_SHIFT);
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

// The focus moves to an elevated window while a macro is typed: the rest
// of the macro is not typed there, the system would drop it; the person's
// keys reach that window once each, and nothing waits for the macro's
// events that never come back.
TEST_F(LowLevelPathTest, AMacroBrokenOffByAnElevatedWindowHoldsNoKeyBack) {
    machine.registry.PutString(AltGrMacroKey, "00080045", std::string(300, 'x'));
    machine.Focus(app64);
    machine.FocusAmidInjected(20, elevated);
    machine.keyboard.UserEventAmidInjected(21, 'A', false, false);
    machine.keyboard.UserEventAmidInjected(22, 'A', false, true);
    AltGr('E');
    Settle();
    machine.Tap(VK_AE);
    Settle();
    std::string typed = machine.AppText(app64) + machine.AppText(elevated);
    EXPECT_EQ(typed.substr(typed.find_first_not_of('x')), "a\xE4") << typed;
    EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_MENU));
    EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_CONTROL));
    machine.Focus(app64);
    machine.ClearApp();
    machine.Tap(VK_AE);
    Settle();
    EXPECT_EQ(machine.AppText(app64), "ae");
}

// Windows gives the id of a process that ended to a new one. The new
// program gets its own rules, not those of the one before.
TEST_F(LowLevelPathTest, AProcessIdUsedAgainGetsTheRulesOfItsProgram) {
    machine.system.ReuseProcessIds(true);
    machine.registry.PutString(ProgramsKeyPath, "notepad.exe", "alles");
    Window notepad = machine.AddApplication(true);
    std::uint32_t process = ProcessOf(notepad);
    machine.system.SetProcessImage(process, "C:\\Windows\\notepad.exe");
    machine.Focus(notepad);
    machine.Tap(VK_AE);
    Settle();
    EXPECT_EQ(machine.AppText(notepad), "\xE4");
    machine.system.EndProcess(process, 0);
    Window probe = machine.AddApplication(true);
    machine.Focus(probe);
    machine.Tap(VK_AE);
    Settle();
    EXPECT_EQ(machine.AppText(probe), "ae");
}

}  // namespace
