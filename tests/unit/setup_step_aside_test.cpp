// The configuration program asks the hook library in its own process to
// step aside: no rule acts on a key typed into any of its windows, so that
// a combination bound to a macro or claimed by a rule is recorded, not
// acted on, and nothing typed into a field is converted. Its test field is
// the exception, where macros type but their commands are not run.
#include "hook/macro_commands.h"
#include "hook/macro_store.h"
#include "hook_fixture.h"
#include "settings/options_registry.h"

using namespace win;

namespace {

class StepAsideTest : public HookFixture {
protected:
    Window dialog = machine.windows.AddWindow("#32770", "Zolvik32 Konfiguration");
    Window field = machine.windows.AddWindow("Edit", "", dialog);
    Window testField = machine.windows.AddWindow("Edit", "", dialog);

    void SetUp() override {
        HookFixture::SetUp();
        SetOption("Zolvik eingeschaltet", 1);
        SetOption("EasyBackslash", 1);
        SetOption("Umlautwandlung", 1);
        machine.registry.PutString(AsciiUmlautKey, "000000DE", "ae");
        machine.registry.PutString(AltGrMacroKey, "00080051", "alt");
        machine.shell.AddFile("calc.exe");
        app->StepAside = TStepAside{true, testField};
    }
    void AltGr(std::uint8_t key) {
        machine.PressAltGr();
        machine.Tap(key);
        machine.ReleaseAltGr();
    }
    std::vector<std::uint8_t> PressesReceived(Window window) const {
        std::vector<std::uint8_t> keys;
        for (const sim::AppKeyMessage& message : machine.AppMessages(window)) {
            if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) keys.push_back(message.virtualKey);
        }
        return keys;
    }
};

TEST_F(StepAsideTest, BoundAndClaimedKeysReachEveryFieldOfTheProgramUnconverted) {
    for (Window window : {field, dialog}) {
        machine.windows.SetFocus(window);
        machine.ClearApp();
        AltGr('Q');
        AltGr(VK_F1);
        AltGr(0xBF);
        machine.Tap(0xBF);
        machine.Tap(0xDE);
        AltGr(VK_NUMLOCK);
        EXPECT_EQ(machine.AppText(window), "@#\xE4") << "only the keys' own characters, nothing the hook typed";
        EXPECT_EQ(PressesReceived(window),
                  (std::vector<std::uint8_t>{VK_CONTROL, VK_MENU, 'Q', VK_CONTROL, VK_MENU, VK_F1, VK_CONTROL,
                                             VK_MENU, 0xBF, 0xBF, 0xDE, VK_CONTROL, VK_MENU, VK_NUMLOCK}));
    }
    EXPECT_FALSE(machine.registry.Get(SettingsKeyPath, "NUM Punkt")) << "AltGr+Num Lock toggles nothing";
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "Zolvik eingeschaltet")->data, std::vector<std::uint8_t>{1})
        << "the master switch is not touched";
    EXPECT_EQ(Flags() & 0x0F, 0) << "the modifiers are still followed";
    SetOption("Piepsen bei Umschaltungen", 1);
    machine.Tap(VK_CAPITAL);
    EXPECT_EQ(SoundRequests().size(), 2u) << "the lock keys are still announced";
}

TEST_F(StepAsideTest, TheTestFieldTypesMacrosButRunsNoCommand) {
    machine.registry.PutString(AltGrMacroKey, "00080045", "^calc.exe^*7^*0Text^*9");
    machine.windows.SetFocus(testField);
    machine.Tap(0xDE);
    AltGr('E');
    EXPECT_EQ(machine.AppText(testField), "aeText");
    EXPECT_TRUE(machine.shell.Executed().empty()) << "no program opened";
    EXPECT_FALSE(machine.registry.Get(SettingsKeyPath, "EasyTab")) << "no feature switched";
    EXPECT_TRUE(machine.windows.PostedTo(control).empty()) << "no shutdown asked for";

    machine.ClearApp();
    TryMacro(*app, "Gr$FC$DF$0D^calc.exe");
    machine.DeliverInput();
    EXPECT_EQ(machine.AppText(testField), "Gr\xFC\xDF\r^calc.exe") << "a stored text, escapes expanded";
    machine.ClearApp();
    TryMacro(*app, "^calc.exe^*0ok");
    machine.DeliverInput();
    EXPECT_EQ(machine.AppText(testField), "ok");
    machine.ClearApp();
    TryMacro(*app, std::wstring(L"Dvo\u0159\u00E1k$80"));
    machine.DeliverInput();
    EXPECT_EQ(machine.AppWideText(testField), L"Dvo\u0159\u00E1k\u20AC") << "any character, and a byte escape";
    EXPECT_TRUE(machine.shell.Executed().empty());
}

TEST_F(StepAsideTest, OtherProgramsAreNotConcerned) {
    app->StepAside = TStepAside{};
    machine.windows.SetFocus(field);
    AltGr('Q');
    machine.Tap(0xDE);
    EXPECT_EQ(machine.AppText(field), "altae") << "a program that did not ask is like any other";
}

}  // namespace
