// The configuration program's macro page: combinations recorded from the
// key messages a capture field receives and named as the hook library
// names them, the built-in rules that claim combinations, the macro list
// and its saving, and what a text does and types.
#include <gtest/gtest.h>

#include <functional>

#include "hook/macro_store.h"
#include "hook_fixture.h"
#include "settings/options_registry.h"
#include "setup/macro_text.h"
#include "setup/reg_export.h"
#include "setup/setup_config.h"

using namespace win;

namespace {

class SetupMacrosTest : public HookFixture {
protected:
    void SetUp() override {
        HookFixture::SetUp();
        SetOption("Zolvik eingeschaltet", 1);
    }

    // Every key message the application received for the keys, fed to a
    // capture field with the Caps Lock state at that message.
    TKeyCapture CaptureOf(const std::function<void()>& keys) {
        machine.ClearApp();
        std::uint8_t state[256];
        machine.keyboard.GetKeyboardState(state);
        bool capsLock = state[VK_CAPITAL] & 1;
        keys();
        TKeyCapture capture;
        for (const sim::AppKeyMessage& message : machine.AppMessages()) {
            bool press = !(message.keyData & 0x80000000u);
            if (message.virtualKey == VK_CAPITAL && press) capsLock = !capsLock;
            capture.Key(message.virtualKey, message.keyData, capsLock);
        }
        return capture;
    }
};

struct CaptureCase {
    const char* why;
    std::function<void(sim::SimMachine&)> keys;
    const char* shown;
    const char* valueName;
};

// Each row is recorded in a capture field, then bound under the recorded
// name and pressed again with the hook library in place: the binding must
// fire, so the capture names the combination exactly as the hook looks it up.
TEST_F(SetupMacrosTest, CaptureNamesCombinationsAsTheHookLooksThemUp) {
    auto altGr = [](std::uint8_t key, bool extended = false) {
        return [=](sim::SimMachine& m) {
            m.PressAltGr();
            m.Tap(key, extended);
            m.ReleaseAltGr();
        };
    };
    const CaptureCase cases[] = {
        {"AltGr is Ctrl and the right Alt", altGr('E'), "AltGr+E", "00080045"},
        {"the German # key", altGr(0xBF), "AltGr+#", "000800BF"},
        {"an extended navigation key", altGr(0x24, true), "AltGr+Pos1", "00088024"},
        {"its keypad twin with Num Lock off", altGr(0x24), "AltGr+Num 7", "00080024"},
        {"Ctrl and Shift", [](sim::SimMachine& m) {
             m.Press(VK_CONTROL); m.Press(VK_SHIFT); m.Tap(0x74);
             m.Release(VK_SHIFT); m.Release(VK_CONTROL);
         }, "Strg+Umschalt+F5", "00030074"},
        {"the right Windows key", [](sim::SimMachine& m) {
             m.Press(VK_RWIN, true); m.Tap('E'); m.Release(VK_RWIN, true);
         }, "Win+E", "00800045"},
        {"Caps Lock counts as Shift", [&](sim::SimMachine& m) {
             m.Tap(VK_CAPITAL); altGr('E')(m); m.Tap(VK_CAPITAL);
         }, "AltGr+Umschalt+E", "00090045"},
        {"Caps Lock with Shift is Shift once", [&](sim::SimMachine& m) {
             m.Tap(VK_CAPITAL); m.Press(VK_SHIFT); altGr('E')(m); m.Release(VK_SHIFT); m.Tap(VK_CAPITAL);
         }, "AltGr+Umschalt+E", "00090045"},
        {"Alt never takes part", [](sim::SimMachine& m) {
             m.Press(VK_MENU); m.Tap(0x74); m.Release(VK_MENU);
         }, "F5", "00000074"},
        {"left Ctrl with left Alt is Ctrl", [](sim::SimMachine& m) {
             m.Press(VK_CONTROL); m.Press(VK_MENU); m.Tap('E'); m.Release(VK_MENU); m.Release(VK_CONTROL);
         }, "Strg+E", "00020045"},
        {"a German letter key", [](sim::SimMachine& m) { m.Press(VK_SHIFT); m.Tap(0xDE); m.Release(VK_SHIFT); },
         "Umschalt+\xC4", "000100DE"},
    };
    for (const CaptureCase& c : cases) {
        TKeyCapture capture = CaptureOf([&] { c.keys(machine); });
        ASSERT_TRUE(capture.Combo()) << c.why;
        EXPECT_EQ(ComboName(*capture.Combo()), c.shown) << c.why;
        EXPECT_EQ(ValueNameOf(*capture.Combo()), c.valueName) << c.why;

        machine.registry.PutString(AltGrMacroKey, ValueNameOf(*capture.Combo()), "ok");
        machine.ClearApp();
        c.keys(machine);
        EXPECT_EQ(machine.AppText().substr(machine.AppText().size() >= 2 ? machine.AppText().size() - 2 : 0), "ok")
            << c.why << ": the hook did not find the binding";
        TRegAccess(machine.registry, HKEY_CURRENT_USER).Delete(AltGrMacroKey, ValueNameOf(*capture.Combo()));
    }
}

TEST_F(SetupMacrosTest, CaptureShowsTheHeldModifiersAndWaitsForAKey) {
    TKeyCapture capture;
    capture.Key(VK_CONTROL, 0, false);
    capture.Key(VK_SHIFT, 0, false);
    EXPECT_EQ(capture.Held(), "Strg+Umschalt+");
    EXPECT_FALSE(capture.Combo()) << "modifiers alone are no combination";
    EXPECT_TRUE(capture.Key('K', 0, false));
    EXPECT_EQ(ComboName(*capture.Combo()), "Strg+Umschalt+K");
    EXPECT_FALSE(capture.Key('K', 0xC0000000u, false)) << "a release completes nothing";
}

TEST_F(SetupMacrosTest, ValueNamesReadBackAsCombinations) {
    struct Row { const char* name; const char* shown; };
    const Row rows[] = {
        {"00080045", "AltGr+E"}, {"0003006E", "Strg+Umschalt+Num Komma"}, {"0080005A", "Win+Z"},
        {"0008802E", "AltGr+Entf"}, {"00000070", "F1"}, {"000000E9", "Taste 0xE9"},
        {"0000A3E9", "Taste 0xE9 (erweitert)"}, {"001000DE", "Feststelltaste+\xC4"},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(ParseValueName(row.name)) << row.name;
        EXPECT_EQ(ComboName(*ParseValueName(row.name)), row.shown) << row.name;
        EXPECT_EQ(ValueNameOf(*ParseValueName(row.name)), row.name);
    }
    for (const char* name : {"Kommentar", "0008004", "01080045", "0008004G", ""}) {
        EXPECT_FALSE(ParseValueName(name)) << name;
    }
}

TEST_F(SetupMacrosTest, BuiltInRulesAndExistingBindingsClaimCombinations) {
    TMacroPage page;
    machine.registry.PutString(AltGrMacroKey, "00080047", "Mit freundlichen Gr\xFC\xDF" "en");
    page.Load(TRegAccess(machine.registry, HKEY_CURRENT_USER));
    TRuleState off;
    TRuleState on{true, true, true, {"000000DE"}};
    auto combo = [](const char* name) { return *ParseValueName(name); };
    struct Row { const char* name; const TRuleState& rules; bool refused; const char* reason; };
    const Row rows[] = {
        {"00080070", off, true, "AltGr+F1 schaltet Zolvik ein und aus."},
        {"00080090", off, true, "AltGr+Num schaltet NUM Punkt um."},
        {"000800BF", off, false, ""},
        {"000800BF", on, false, "AltGr+# schreibt # (EasyBackslash)."},
        {"000000BF", on, false, "EasyBackslash belegt die Taste #."},
        {"000100BF", on, false, ""},
        {"0000006B", on, false, "EasyTab belegt Plus und Minus des Ziffernblocks."},
        {"0001006D", on, false, ""},
        {"0001006E", on, false, "NUM Punkt belegt die Komma-Taste des Ziffernblocks."},
        {"000000DE", on, false, "Die Umlautwandlung belegt diese Taste."},
        {"000800DE", on, false, ""},
        {"00080047", off, true, "AltGr+G ist schon belegt: tippt \"Mit freundlichen Gr\xFC\xDF" "en\""},
    };
    for (const Row& row : rows) {
        TConflict conflict = page.Check(combo(row.name), row.rules);
        EXPECT_EQ(conflict.Refused, row.refused) << row.name;
        EXPECT_EQ(conflict.Reason, row.reason) << row.name;
    }
    EXPECT_EQ(page.Add(combo("00080070"), "x", off), "AltGr+F1 schaltet Zolvik ein und aus.");
    EXPECT_EQ(page.Rebind(*page.Entries()[0], combo("00080047"), off), "") << "its own combination";
}

TEST_F(SetupMacrosTest, MacroListSavesChangedBindingsAndKeepsWhatItDoesNotKnow) {
    machine.registry.PutString(AltGrMacroKey, "00080045", "alt");
    machine.registry.Put(AltGrMacroKey, "00080046", REG_BINARY, {'h', 'i'});
    machine.registry.Put(AltGrMacroKey, "00080047", REG_EXPAND_SZ, {'x', 0});
    machine.registry.PutString(AltGrMacroKey, "00080048", "bleibt");
    machine.registry.PutString(AltGrMacroKey, "Kommentar", "keep");
    TSetupConfig config(machine.platform, "C:\\Z\\");
    config.Load();
    ASSERT_EQ(config.Macros.Entries().size(), 4u) << "the comment is not a binding";
    EXPECT_EQ(config.Problems(), std::vector<std::string>{"Ung\xFCltiger Datentyp f\xFCr '00080046'"});
    TRegAccess registry(machine.registry, HKEY_CURRENT_USER);
    std::string before = ExportConfiguration(registry);

    TMacroEntry& e = *config.Macros.Entries()[0];
    TMacroEntry& g = *config.Macros.Entries()[2];
    TMacroEntry& h = *config.Macros.Entries()[3];
    config.Macros.Remove(h);
    EXPECT_EQ(config.Macros.Add(*ParseValueName("00080048"), "bleibt", config.Rules()), "");
    config.Macros.SetText(e, "alt");
    EXPECT_FALSE(config.HasChanges()) << "removed and made again as it was";
    EXPECT_EQ(config.Save(), "");
    EXPECT_EQ(ExportConfiguration(registry), before);

    config.Macros.SetText(e, "neu");
    EXPECT_EQ(config.Macros.Rebind(g, *ParseValueName("00080049"), config.Rules()), "");
    EXPECT_EQ(config.Macros.Add(*ParseValueName("00080051"), "Q-Text", config.Rules()), "");
    EXPECT_EQ(config.Save(), "");
    EXPECT_EQ(machine.registry.Get(AltGrMacroKey, "00080045")->data,
              (std::vector<std::uint8_t>{'n', 'e', 'u', 0}));
    EXPECT_FALSE(machine.registry.Get(AltGrMacroKey, "00080047"));
    EXPECT_EQ(machine.registry.Get(AltGrMacroKey, "00080049")->data, (std::vector<std::uint8_t>{'x', 0}));
    EXPECT_EQ(machine.registry.Get(AltGrMacroKey, "00080051")->type, REG_SZ);
    EXPECT_EQ(machine.registry.Get(AltGrMacroKey, "00080046")->type, REG_BINARY);
    EXPECT_EQ(machine.registry.Get(AltGrMacroKey, "Kommentar")->data,
              (std::vector<std::uint8_t>{'k', 'e', 'e', 'p', 0}));
}

// What the page says a text types must be what the hook library types:
// each text is bound to AltGr+E and run.
TEST_F(SetupMacrosTest, PreviewTypesWhatTheHookTypesAndNamesWhatItDoes) {
    machine.SetLayout(sim::KeyboardLayout::US);  // where "^" is no dead key
    machine.shell.AddFile("calc.exe");
    SystemTime now{};
    machine.system.GetLocalTime(&now);
    TRegionalFormats regional = ReadRegionalFormats(machine.system);
    struct Row { const char* text; const char* description; };
    const Row rows[] = {
        {"Mit freundlichen Gr$FC$DFen", "tippt \"Mit freundlichen Gr\xFC\xDF" "en\""},
        {"^calc.exe", "\xF6" "ffnet calc.exe"},
        {"^calc.exe^", "\xF6" "ffnet calc.exe, tippt \"^\""},
        {"^calc.exe*41", "f\xFCgt die Uhrzeit ein"},
        {"^*49\"dd.mm.yyyy\"*40", "f\xFCgt das Datum ein"},
        {"^*0Datum: ^*40", "tippt \"Datum: \", f\xFCgt das Datum ein"},
        {"^*41 ok", "f\xFCgt die Uhrzeit ein, tippt \" ok\""},
        {"^*2", "schaltet die Umlautwandlung um (ASCII)"},
        {"^calc.exe^*9", "\xF6" "ffnet calc.exe, f\xE4hrt Windows herunter"},
        {"^*4", "tut nichts"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DescribeMacro(row.text), row.description) << row.text;
        std::string typed;
        std::string opened;
        for (const TMacroStep& step : MacroSteps(row.text, regional, now)) {
            if (step.Kind == TMacroStepKind::Type || step.Kind == TMacroStepKind::Date ||
                step.Kind == TMacroStepKind::Time) {
                typed += step.Text;
            }
            if (step.Kind == TMacroStepKind::Open) opened += step.Text;
        }
        machine.registry.PutString(AltGrMacroKey, "00080045", row.text);
        machine.ClearApp();
        std::size_t started = machine.shell.Executed().size();
        machine.PressAltGr();
        machine.Tap('E');
        machine.ReleaseAltGr();
        EXPECT_EQ(machine.AppText(), typed) << row.text;
        std::string hookOpened;
        for (std::size_t i = started; i < machine.shell.Executed().size(); ++i) {
            hookOpened += machine.shell.Executed()[i].file;
        }
        EXPECT_EQ(hookOpened, opened) << row.text;
    }
    EXPECT_EQ(PreviewMacro("^*49\"dd.mm.yyyy\"*40", regional, now), "07.12.2026");
    EXPECT_EQ(PreviewMacro("^calc.exe^*49\"hh:nn\"*41", regional, now), "[\xF6" "ffnet calc.exe]14:05");
}

TEST_F(SetupMacrosTest, CommandsAreAppendedSoThatTheTextStillTypesFirst) {
    TRegionalFormats regional = ReadRegionalFormats(machine.system);
    SystemTime now{};
    machine.system.GetLocalTime(&now);
    TCommandResult date = AppendCommand("Heute ist ", TMacroCommand::DateFormat, "dd.mm.yyyy");
    ASSERT_TRUE(date.Ok);
    EXPECT_EQ(date.Text, "^*0Heute ist ^*49\"dd.mm.yyyy\"*40");
    EXPECT_EQ(PreviewMacro(date.Text, regional, now), "Heute ist 07.12.2026");

    TCommandResult open = AppendCommand("", TMacroCommand::Open, "C:\\Preise in $.xls");
    EXPECT_EQ(open.Text, "^C:\\Preise in $$.xls");
    EXPECT_EQ(DescribeMacro(open.Text), "\xF6" "ffnet C:\\Preise in $.xls");
    EXPECT_EQ(AppendCommand(open.Text, TMacroCommand::Shutdown).Text, "^C:\\Preise in $$.xls^*9");
    TCommandResult time = AppendCommand("50$", TMacroCommand::Time);
    EXPECT_EQ(time.Text, "^*050$$^*41") << "the final dollar sign would take the command";
    EXPECT_EQ(PreviewMacro(time.Text, regional, now), "50$14:05:09");

    EXPECT_FALSE(AppendCommand("a*b", TMacroCommand::Date).Ok);
    EXPECT_FALSE(AppendCommand("", TMacroCommand::TimeFormat, "hh\"nn").Ok);
    EXPECT_FALSE(AppendCommand("", TMacroCommand::Open, "").Ok);
    EXPECT_EQ(StoredPlainText("5$ und $$"), "5$$ und $$$$");
}

}  // namespace
