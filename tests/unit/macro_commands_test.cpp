// Macro texts run as an AltGr macro on a simulated key press, at a fixed
// moment (Monday 7 December 2026, 14:05:09) with German regional settings
// and the US keyboard layout (which has no dead keys).
#include "tests/unit/hook_fixture.h"

#include "common/sound_events.h"
#include "hook/macro_commands.h"
#include "hook/macro_store.h"

using namespace win;

namespace {

class MacroCommandsTest : public HookFixture {
protected:
    void SetUp() override {
        HookFixture::SetUp();
        machine.SetLayout(sim::KeyboardLayout::US);
        machine.system.SetLocalTime({2026, 12, 1, 7, 14, 5, 9, 0});
        SetOption("Zolvik eingeschaltet", 1);
        machine.shell.AddFile("calc.exe");
    }
    // Runs the text as the macro of AltGr+E.
    void Run(const std::string& text) {
        machine.registry.PutString(AltGrMacroKey, "00080045", text);
        machine.PressAltGr();
        machine.Tap('E');
        machine.ReleaseAltGr();
    }
    std::vector<std::string> Opened() const {
        std::vector<std::string> files;
        for (const sim::ShellExecuteCall& call : machine.shell.Executed()) files.push_back(call.file);
        return files;
    }
    bool ShutdownRequested() const {
        for (const sim::PostedMessage& posted : machine.windows.PostedTo(control)) {
            if (posted.message == UM_SHUTDOWN && posted.wParam == 1) return true;
        }
        return false;
    }
};

struct WorkedCase {
    const char* text;
    const char* typed;
    std::vector<std::string> opened;
    bool shutdown;
};

TEST_F(MacroCommandsTest, WorkedSequences) {
    const WorkedCase cases[] = {
        {"^calc.exe", "", {"calc.exe"}, false},
        {"^calc.exe^", "^", {"calc.exe"}, false},
        {"^calc.exe*", "", {"calc.exe"}, false},
        {"^calc.exe*41", "14:05:09", {}, false},
        {"^*49\"dd.mm.yyyy\"*40", "07.12.2026", {}, false},
        {"^*49\"hh:nn\"*41", "14:05", {}, false},
        {"^*41 ok", "14:05:09 ok", {}, false},
        {"^*0Date: ^*40", "Date: Montag, 7. Dezember 2026", {}, false},
        {"^calc.exe^*9", "", {"calc.exe"}, true},
        {"^", "^", {}, false},
        {"Plain ^text* stays", "Plain ^text* stays", {}, false},
        {"^a^^b", "^", {"a", "b"}, false},
        {"^note*4", "", {}, false},
        {"^note*49", "", {}, false},
        {"^*49\"\"*40", "Montag, 7. Dezember 2026", {}, false},
        {"^*49\"yyyy\"*40*49\"\"*40", "20262026", {}, false},
        {"^*49x*40", "Montag, 7. Dezember 2026", {}, false},
        {"^*49\"hh\"", "", {}, false},
        {"^*49\"", "", {}, false},
        {"^*49\"nn*41", "", {}, false},
        {"^*5x", "x", {}, false},
    };
    for (const WorkedCase& c : cases) {
        machine.ClearApp();
        std::size_t openedBefore = machine.shell.Executed().size();
        machine.windows.ClearPosted();
        Run(c.text);
        EXPECT_EQ(machine.AppText(), c.typed) << c.text;
        std::vector<std::string> all = Opened();
        std::vector<std::string> opened(all.begin() + static_cast<long>(openedBefore), all.end());
        EXPECT_EQ(opened, c.opened) << c.text;
        EXPECT_EQ(ShutdownRequested(), c.shutdown) << c.text;
        EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_SHIFT)) << c.text;
    }
}

TEST_F(MacroCommandsTest, UnopenableDocumentBeepsAndTheRestStillRuns) {
    Run("^missing.doc^calc.exe^*0 done");
    EXPECT_EQ(Opened(), (std::vector<std::string>{"missing.doc", "calc.exe"}));
    EXPECT_EQ(machine.windows.Beeps(), (std::vector<std::uint32_t>{MB_ICONEXCLAMATION}));
    EXPECT_EQ(machine.AppText(), " done");
}

TEST_F(MacroCommandsTest, OpenDocumentPassesTheWholePathOfAnyCharacter) {
    for (std::wstring path :
         {L"C:\\Program Files\\notepad.exe readme.txt", L"D:\\\x0141ukasz\\Dvo\x0159\x00E1k \x2192 \xD83D\xDE00.docx"}) {
        machine.shell.AddFile(path);
        machine.registry.PutWideString(AltGrMacroKey, "00080045", L"^" + path);
        machine.PressAltGr();
        machine.Tap('E');
        machine.ReleaseAltGr();
        const sim::ShellExecuteCall& call = machine.shell.Executed().back();
        EXPECT_EQ(call.wideFile, path);
        EXPECT_EQ(call.verb, "open");
        EXPECT_FALSE(call.withParameters);
        EXPECT_FALSE(call.withDirectory);
        EXPECT_EQ(call.show, SW_SHOWNORMAL);
        EXPECT_EQ(call.owner, machine.AppWindow());
    }
    EXPECT_EQ(machine.shell.Executed().size(), 2u);
    EXPECT_TRUE(machine.windows.Beeps().empty()) << "each path opened";
}

TEST_F(MacroCommandsTest, FeatureToggles) {
    SetOption("Piepsen bei Umschaltungen", 1);
    Run("^*2");
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "Umlautwandlung")->data[0], 1);
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "UmlautMode")->data[0], 0);
    Run("^*3*3");
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "Umlautwandlung")->data[0], 1);
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "UmlautMode")->data[0], 1)
        << "switched off leaves the mode as it was";
    Run("^*7*8");
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "EasyTab")->data[0], 1);
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "NUM Punkt")->data[0], 1);
    EXPECT_EQ(SoundRequests(), (std::vector<WParam>{seUmlaut, seOn, seUmlaut, seOff, seUmlaut, seOn,
                                                    seEasyTab, seOn, seNumDot, seOn}));
    EXPECT_EQ(machine.AppText(), "");
}

}  // namespace
