// The rules per program and the password-field rule: the same keys typed in
// the window of a program under the Programme key, in a program beside it,
// and in the fields of one window, each process with the library's state
// of its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/control_messages.h"
#include "common/registry_paths.h"
#include "hook/hook_procedure.h"
#include "hook/this_process.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"
#include "settings/program_rules.h"
#include "tests/unit/library_per_process.h"

using namespace win;

namespace {

constexpr std::uint8_t VK_HASH = 0xBF;
constexpr std::uint8_t VK_A_UMLAUT = 0xDE;

class ProgramRulesTest : public LibraryPerProcessTest {
protected:
    Window remote = machine.AddApplication(false);
    Window notepad = machine.AddApplication(false);

    void SetUp() override {
        machine.system.SetProcessImage(ProcessOf(remote), "C:\\Windows\\System32\\mstsc.exe");
        machine.system.SetProcessImage(ProcessOf(notepad), "C:\\Windows\\notepad.exe");
        StartTray();
        trayHook = Install(State(tray), 1);
        machine.SetLayout(sim::KeyboardLayout::German);
        for (const char* option : {"Zolvik eingeschaltet", "EasyBackslash", "NUM Punkt", "Umlautwandlung",
                                   "Piepsen bei Umschaltungen"}) {
            machine.registry.PutByte(SettingsKeyPath, option, 1);
        }
        machine.registry.PutString(AsciiUmlautKey, "000000DE", "ae");
        machine.registry.PutString(AltGrMacroKey, "00080047", "Gruss");
    }

    void Rule(const std::string& program, const std::string& text) {
        machine.registry.PutString(ProgramsKeyPath, program, text);
    }
    // AltGr+G (a macro), Ä (the umlaut table), "#" (EasyBackslash), the
    // keypad's decimal key (NUM Punkt, which types "." where the layout has
    // ","), Caps Lock twice (its sounds): what the window received.
    std::string TypeScript(Window window) {
        machine.Focus(window);
        machine.ClearApp();
        machine.PressAltGr();
        machine.Tap('G');
        machine.ReleaseAltGr();
        for (std::uint8_t key : {VK_A_UMLAUT, VK_HASH, VK_DECIMAL, VK_CAPITAL, VK_CAPITAL}) machine.Tap(key);
        return machine.AppText(window);
    }
    bool SoundsRequested() const { return !machine.windows.PostedTo(control).empty(); }
    std::uint8_t MasterSwitch() const {
        auto value = machine.registry.Get(SettingsKeyPath, "Zolvik eingeschaltet");
        return value ? value->data.at(0) : 0xEE;
    }
    bool PressReceived(Window window, std::uint8_t key) const {
        for (const sim::AppKeyMessage& message : machine.AppMessages(window)) {
            bool press = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
            if (press && message.virtualKey == key) return true;
        }
        return false;
    }
};

TEST_F(ProgramRulesTest, EachModeLeavesAloneWhatItNamesAndTheOtherProgramKeepsEverything) {
    struct Case {
        const char* text;
        const char* expected;
        bool sounds;
    };
    const Case cases[] = {
        {"alles", "\xE4#,", false},
        {"ALLES", "\xE4#,", false},
        {"Makros, Umlaute, Ziffernblock, EasyBackslash", "\xE4#,", false},
        {"Makros", "ae\\.", true},
        {"Umlaute", "Gruss\xE4\\.", true},
        {"Ziffernblock", "Grussae\\,", true},
        {"EasyBackslash", "Grussae#.", true},
        {"umlaute;easybackslash ziffernblock", "Gruss\xE4#,", true},
        {"Umlaute,                                                                  EasyBackslash", "Gruss\xE4#.",
         true},  // longer than the first read
        {"", "Grussae\\.", true},
        {"Spiele", "Grussae\\.", true},
    };
    for (const Case& rule : cases) {
        Rule("MSTSC.EXE", rule.text);
        machine.windows.ClearPosted();
        EXPECT_EQ(TypeScript(remote), rule.expected) << rule.text;
        EXPECT_EQ(SoundsRequested(), rule.sounds) << rule.text;
        EXPECT_EQ(TypeScript(notepad), "Grussae\\.") << "another program, " << rule.text;
    }
}

TEST_F(ProgramRulesTest, WithoutTheKeyOrTheValueEverythingActs) {
    EXPECT_EQ(TypeScript(remote), "Grussae\\.");
    Rule("notepad.exe", "alles");
    EXPECT_EQ(TypeScript(remote), "Grussae\\.");
    EXPECT_EQ(TypeScript(notepad), "\xE4#,");
}

TEST_F(ProgramRulesTest, AValueThatIsNoTextLeavesEverythingAlone) {
    machine.registry.Put(ProgramsKeyPath, "mstsc.exe", REG_DWORD, {1, 0, 0, 0});
    EXPECT_EQ(TypeScript(remote), "\xE4#,");
}

TEST_F(ProgramRulesTest, TheMasterSwitchKeyWorksUnlessEverythingIsLeftAlone) {
    Rule("mstsc.exe", "alles");
    machine.Focus(remote);
    machine.PressAltGr();
    machine.Tap(VK_F1);
    machine.ReleaseAltGr();
    EXPECT_EQ(MasterSwitch(), 1);
    EXPECT_TRUE(PressReceived(remote, VK_F1)) << "passed untouched";
    Rule("mstsc.exe", "Makros, Umlaute");
    machine.PressAltGr();
    machine.Tap(VK_F1);
    machine.ReleaseAltGr();
    EXPECT_EQ(MasterSwitch(), 0);
}

// The rule is read at every key: a key made, deleted under the held handle
// and made again counts at once.
TEST_F(ProgramRulesTest, AChangedRuleCountsAtTheNextKey) {
    machine.Focus(remote);
    machine.Tap(VK_A_UMLAUT);
    Rule("mstsc.exe", "Umlaute");
    machine.Tap(VK_A_UMLAUT);
    RegKey software = 0;
    ASSERT_EQ(machine.registry.RegOpenKeyExA(HKEY_CURRENT_USER, ZOLVIK_REGISTRY_ROOT, 0, KEY_ALL_ACCESS, &software),
              ERROR_SUCCESS);
    ASSERT_EQ(machine.registry.RegDeleteKeyA(software, "Programme"), ERROR_SUCCESS);
    machine.Tap(VK_A_UMLAUT);
    Rule("mstsc.exe", "Umlaute");
    machine.Tap(VK_A_UMLAUT);
    machine.registry.RegCloseKey(software);
    EXPECT_EQ(machine.AppText(remote), "ae\xE4" "ae\xE4");
}

// A window hook runs in the process that owns the focused window, so the
// rule follows the key into whichever program has the focus.
TEST_F(ProgramRulesTest, SwitchingProgramsSwitchesTheRule) {
    Rule("mstsc.exe", "alles");
    for (Window window : {remote, notepad, remote}) {
        machine.Focus(window);
        machine.Tap(VK_A_UMLAUT);
    }
    EXPECT_EQ(machine.AppText(remote), "\xE4\xE4");
    EXPECT_EQ(machine.AppText(notepad), "ae");
}

TEST(ProgramFeatureWords, TextAndFeaturesRoundTrip) {
    for (std::uint8_t features = 0; features <= AllProgramFeatures; ++features) {
        EXPECT_EQ(FeaturesLeftAlone(LeftAloneText(features)), features) << LeftAloneText(features);
    }
    EXPECT_EQ(LeftAloneText(pfUmlauts | pfEasyBackslash), "Umlaute, EasyBackslash");
    EXPECT_EQ(LeftAloneText(AllProgramFeatures), "alles");
    EXPECT_EQ(FeaturesLeftAlone(" ,Makros,,alles "), AllProgramFeatures);
}

class PasswordFieldTest : public ProgramRulesTest {
protected:
    Window frame = machine.windows.AddWindow("#32770", "Anmeldung");
    Window password = machine.windows.AddWindow("Edit", "", frame);
    Window user = machine.windows.AddWindow("Edit", "", frame);
    Window superclassed = machine.windows.AddWindow("TEdit", "", frame);
    Window checkBox = machine.windows.AddWindow("Button", "", frame);

    void SetUp() override {
        ProgramRulesTest::SetUp();
        machine.windows.SetStyle(password, ES_PASSWORD);
        machine.windows.SetBaseClass(superclassed, "Edit");
        machine.windows.SetStyle(superclassed, ES_PASSWORD);
        machine.windows.SetStyle(checkBox, 0x0020);  // BS_LEFTTEXT
    }
};

TEST_F(PasswordFieldTest, APasswordFieldKeepsWhatIsTypedButMacrosStillType) {
    EXPECT_EQ(TypeScript(password), "Gruss\xE4#,");
    EXPECT_EQ(TypeScript(user), "Grussae\\.") << "the neighbour field";
    machine.registry.PutByte(SettingsKeyPath, "In Kennwortfeldern nicht umwandeln", 0);
    EXPECT_EQ(TypeScript(password), "Grussae\\.") << "switched off";
}

TEST_F(PasswordFieldTest, OnlyTheEditClassMeansPasswordByTheBit) {
    EXPECT_EQ(TypeScript(superclassed), "Gruss\xE4#,");
    EXPECT_EQ(TypeScript(checkBox), "Grussae\\.");
}

TEST_F(PasswordFieldTest, AProgramRuleAndThePasswordRuleAddUp) {
    Rule("probe.exe", "Makros");
    EXPECT_EQ(TypeScript(password), "\xE4#,");
    EXPECT_EQ(TypeScript(user), "ae\\.");
}

}  // namespace
