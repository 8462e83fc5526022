// The configuration program's macro page: combinations recorded from the
// key messages a capture field receives and named as the hook library
// names them, the built-in rules that claim combinations, the macro list
// and its saving, and what a text does and types.
#include <gtest/gtest.h>

#include <functional>

#include "common/cp1252.h"
#include "common/registry_paths.h"
#include "hook_fixture.h"
#include "macro/value_name.h"
#include "memory_backup_folder.h"
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
    // capture field.
    TKeyCapture CaptureOf(const std::function<void()>& keys) {
        machine.ClearApp();
        keys();
        TKeyCapture capture;
        for (const sim::AppKeyMessage& message : machine.AppMessages()) {
            capture.Key(message.virtualKey, message.keyData);
        }
        return capture;
    }
    TRuleState Rules() {
        TRuleState rules;
        rules.LayoutCharacters = ReadLayoutCharacters(machine.keyboard);
        return rules;
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
        {"a German letter key", [](sim::SimMachine& m) { m.Press(VK_SHIFT); m.Tap(0xDE); m.Release(VK_SHIFT); },
         "Umschalt+\xC4", "000100DE"},
    };
    for (const CaptureCase& c : cases) {
        TKeyCapture capture = CaptureOf([&] { c.keys(machine); });
        ASSERT_TRUE(capture.Combo()) << c.why << ": " << capture.Refusal();
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

// What a value name cannot hold is shown as pressed and refused: the
// library would act on these keys without the modifier.
TEST_F(SetupMacrosTest, CaptureRefusesAltAndTheLeftWindowsKey) {
    struct Row { const char* why; std::function<void(sim::SimMachine&)> keys; const char* shown; };
    const Row rows[] = {
        {"Alt alone", [](sim::SimMachine& m) { m.Press(VK_MENU); m.Tap('E'); m.Release(VK_MENU); }, "Alt+E"},
        {"left Ctrl with left Alt", [](sim::SimMachine& m) {
             m.Press(VK_CONTROL); m.Press(VK_MENU); m.Tap('E'); m.Release(VK_MENU); m.Release(VK_CONTROL);
         }, "Strg+Alt+E"},
        {"the left Windows key", [](sim::SimMachine& m) { m.Press(0x5B, true); m.Tap('E'); m.Release(0x5B, true); },
         "Win links+E"},
    };
    for (const Row& row : rows) {
        TKeyCapture capture = CaptureOf([&] { row.keys(machine); });
        EXPECT_EQ(capture.Shown(), row.shown) << row.why;
        EXPECT_FALSE(capture.Combo()) << row.why;
        EXPECT_EQ(capture.Refusal().rfind(std::string(row.shown) + " geht nicht: ", 0), 0u) << capture.Refusal();
    }
}

// The library reads Caps Lock as Shift, so a binding recorded with it would
// act only while Caps Lock is on.
TEST_F(SetupMacrosTest, CapsLockIsNoPartOfARecordedCombination) {
    TKeyCapture capture = CaptureOf([&] {
        machine.Tap(VK_CAPITAL);
        machine.PressAltGr();
        machine.Tap('E');
        machine.ReleaseAltGr();
        machine.Tap(VK_CAPITAL);
    });
    ASSERT_TRUE(capture.Combo());
    EXPECT_EQ(ComboName(*capture.Combo()), "AltGr+E");
    EXPECT_EQ(ValueNameOf(*capture.Combo()), "00080045");
}

TEST_F(SetupMacrosTest, CaptureShowsTheHeldModifiersAndWaitsForAKey) {
    TKeyCapture capture;
    capture.Key(VK_CONTROL, 0);
    capture.Key(VK_SHIFT, 0);
    EXPECT_EQ(capture.Held(), "Strg+Umschalt+");
    EXPECT_FALSE(capture.Combo()) << "modifiers alone are no combination";
    EXPECT_TRUE(capture.Key('K', 0));
    EXPECT_EQ(ComboName(*capture.Combo()), "Strg+Umschalt+K");
    EXPECT_FALSE(capture.Key('K', 0xC0000000u)) << "a release completes nothing";
}

TEST_F(SetupMacrosTest, ValueNamesReadBackAsCombinations) {
    struct Row { const char* name; const char* shown; };
    const Row rows[] = {
        {"00080045", "AltGr+E"}, {"0003006E", "Strg+Umschalt+Num Komma"}, {"0080005A", "Win+Z"},
        {"0008802E", "AltGr+Entf"}, {"00000070", "F1"}, {"000000E9", "Taste 0xE9"},
        {"0000A3E9", "Taste 0xE9 (erweitert)"}, {"001000DE", "Feststelltaste+\xC4"},
        {"0008004a", "AltGr+J"},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(ParseValueName(row.name)) << row.name;
        EXPECT_EQ(ComboName(*ParseValueName(row.name)), row.shown) << row.name;
        EXPECT_EQ(ValueNameOf(*ParseValueName(row.name)), UpperCase(row.name));
    }
    for (const char* name : {"Kommentar", "0008004", "01080045", "0008004G", ""}) {
        EXPECT_FALSE(ParseValueName(name)) << name;
    }
}

// Refused: what can never act, keys that type on the layout (German here),
// keys already bound. Warned: what a feature claims while it is on, AltGr
// keys that type a character, and the shortcuts people rely on.
TEST_F(SetupMacrosTest, BuiltInRulesTypingKeysAndExistingBindingsClaimCombinations) {
    machine.SetLayout(sim::KeyboardLayout::German);
    TMacroPage page;
    machine.registry.PutString(AltGrMacroKey, "00080047", "Mit freundlichen Gr\xFC\xDF" "en");
    machine.registry.PutString(AltGrMacroKey, "0008004a", "klein");
    page.Load(TRegAccess(machine.registry, HKEY_CURRENT_USER));
    TRuleState off = Rules();
    TRuleState on = Rules();
    on.EasyBackslash = on.NumDot = on.EasyTab = true;
    on.UmlautNames = {"000000DE"};
    auto combo = [](const char* name) { return *ParseValueName(name); };
    const std::string typing = ": eine Taste, die Zeichen tippt, kann nicht belegt werden.";
    const std::string replaced = "; mit der Belegung tippt es das nicht mehr.";
    struct Row { const char* name; const TRuleState& rules; bool refused; std::string reason; };
    const Row rows[] = {
        {"00080070", off, true, "AltGr+F1 schaltet Zolvik ein und aus."},
        {"00080090", off, true, "AltGr+Num schaltet NUM Punkt um."},
        {"000800BF", off, false, ""},
        {"000800BF", on, false, "AltGr+# schreibt # (EasyBackslash)."},
        {"000000BF", on, true, "# tippt \"#\"" + typing},
        {"000100BF", on, true, "Umschalt+# tippt \"'\"" + typing},
        {"00000045", off, true, "E tippt \"e\"" + typing},
        {"00000020", off, true, "Leertaste tippt \" \"" + typing},
        {"000000DE", on, true, "\xC4 tippt \"\xE4\"" + typing},
        {"0000006B", on, false, "EasyTab belegt Plus und Minus des Ziffernblocks."},
        {"0001006D", on, false, ""},
        {"0001006E", on, false, "NUM Punkt belegt die Komma-Taste des Ziffernblocks."},
        {"000800DE", on, false, ""},
        {"00080051", off, false, "AltGr+Q tippt auf dieser Tastatur \"@\"" + replaced},
        {"00080045", off, false, "AltGr+E tippt auf dieser Tastatur \"\x80\"" + replaced},
        {"000800E2", off, false, "AltGr+< tippt auf dieser Tastatur \"|\"" + replaced},
        {"00080037", off, false, "AltGr+7 tippt auf dieser Tastatur \"{\"" + replaced},
        {"00080046", off, false, ""},
        {"00000074", off, false, ""},
        {"00000073", off, false, "F4 gilt auch f\xFCr Alt+F4, das Fenster schlie\xDF" "t: Zolvik32 unterscheidet Alt nicht."},
        {"00020043", off, false, "Strg+C kopiert in fast allen Programmen."},
        {"00020053", off, false, "Strg+S speichert in fast allen Programmen."},
        {"00030043", off, false, ""},
        {"00080047", off, true, "AltGr+G ist schon belegt: tippt \"Mit freundlichen Gr\xFC\xDF" "en\""},
        {"00080067", off, false, ""},
    };
    for (const Row& row : rows) {
        TConflict conflict = page.Check(combo(row.name), row.rules);
        EXPECT_EQ(conflict.Refused, row.refused) << row.name;
        EXPECT_EQ(conflict.Reason, row.reason) << row.name;
    }
    EXPECT_EQ(page.Add(combo("00080070"), L"x", off), "AltGr+F1 schaltet Zolvik ein und aus.");
    EXPECT_EQ(page.Rebind(*page.Entries()[0], combo("00080047"), off), "") << "its own combination";
    EXPECT_EQ(page.Check(combo("0008004A"), off).Reason, "AltGr+J ist schon belegt: tippt \"klein\"")
        << "a value name written in small letters is the same binding";
}

TEST_F(SetupMacrosTest, MacroListSavesChangedBindingsAndKeepsWhatItDoesNotKnow) {
    machine.registry.PutString(AltGrMacroKey, "00080045", "alt");
    machine.registry.Put(AltGrMacroKey, "00080046", REG_BINARY, {'h', 'i'});
    machine.registry.Put(AltGrMacroKey, "00080047", REG_EXPAND_SZ, {'x', 0});
    machine.registry.PutString(AltGrMacroKey, "00080048", "bleibt");
    machine.registry.PutString(AltGrMacroKey, "Kommentar", "keep");
    TMemoryBackupFolder backups;
    TSetupConfig config(machine.platform, "C:\\Z\\", backups);
    config.Load();
    ASSERT_EQ(config.Macros.Entries().size(), 4u) << "the comment is not a binding";
    EXPECT_EQ(config.Problems(), std::vector<std::string>{"Ung\xFCltiger Datentyp f\xFCr '00080046'"});
    TRegAccess registry(machine.registry, HKEY_CURRENT_USER);
    std::string before = ExportConfiguration(registry, TExportKind::Plain);

    TMacroEntry& e = *config.Macros.Entries()[0];
    TMacroEntry& g = *config.Macros.Entries()[2];
    TMacroEntry& h = *config.Macros.Entries()[3];
    config.Macros.Remove(h);
    EXPECT_EQ(config.Macros.Add(*ParseValueName("00080048"), L"bleibt", config.Rules()), "");
    config.Macros.SetText(e, L"alt");
    EXPECT_FALSE(config.HasChanges()) << "removed and made again as it was";
    EXPECT_EQ(config.Save(), "");
    EXPECT_EQ(ExportConfiguration(registry, TExportKind::Plain), before);

    config.Macros.SetText(e, L"neu");
    EXPECT_EQ(config.Macros.Rebind(g, *ParseValueName("00080049"), config.Rules()), "");
    EXPECT_EQ(config.Macros.Add(*ParseValueName("00080051"), L"Q-Text", config.Rules()), "");
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

// The table the page shows and sets is the one the library converts with,
// a missing "UmlautMode" included.
TEST_F(SetupMacrosTest, UmlautTableOfThePageIsTheOneTheLibraryUses) {
    SetOption("Umlautwandlung", 1);
    machine.registry.PutString(AsciiUmlautKey, "000000DE", "ae");
    machine.registry.PutString(HtmlUmlautKey, "000000DE", "&auml;");
    TMemoryBackupFolder backups;
    TSetupConfig config(machine.platform, "C:\\Z\\", backups);
    config.Load();
    struct Row { TUmlautTable table; const char* typed; };
    const Row rows[] = {{TUmlautTable::Ascii, "ae"}, {TUmlautTable::Html, "&auml;"}, {TUmlautTable::Ascii, "ae"},
                        {TUmlautTable::None, "\xE4"}};
    EXPECT_EQ(config.Settings.UmlautTable(), TUmlautTable::Ascii) << "shown as the library reads it";
    for (const Row& row : rows) {
        config.Settings.SetUmlautTable(row.table);
        EXPECT_EQ(config.Save(), "");
        machine.ClearApp();
        machine.Tap(0xDE);
        EXPECT_EQ(machine.AppText(), row.typed) << static_cast<int>(row.table);
    }
}

TEST_F(SetupMacrosTest, DescriptionAndPreviewNameWhatATextDoes) {
    machine.system.SetLocalTime({2026, 12, 1, 7, 14, 5, 9, 0});
    SystemTime now{};
    machine.system.GetLocalTime(&now);
    TRegionalFormats regional = ReadRegionalFormats(machine.system);
    struct Row { const wchar_t* text; const wchar_t* description; const wchar_t* preview; };
    const Row rows[] = {
        {L"Mit freundlichen Gr$FC$DFen", L"tippt \"Mit freundlichen Gr\xFC\xDF" L"en\"", L"Mit freundlichen Gr\xFC\xDF" L"en"},
        {L"^calc.exe", L"\xF6" L"ffnet calc.exe", L"[\xF6" L"ffnet calc.exe]"},
        {L"^calc.exe^", L"\xF6" L"ffnet calc.exe, tippt \"^\"", L"[\xF6" L"ffnet calc.exe]^"},
        {L"^calc.exe*41", L"f\xFCgt die Uhrzeit ein", L"14:05:09"},
        {L"^*49\"dd.mm.yyyy\"*40", L"f\xFCgt das Datum ein", L"07.12.2026"},
        {L"^*0Datum: ^*40", L"tippt \"Datum: \", f\xFCgt das Datum ein", L"Datum: Montag, 7. Dezember 2026"},
        {L"^*2", L"schaltet die Umlautwandlung um (ASCII)", L"[schaltet die Umlautwandlung um (ASCII)]"},
        {L"^calc.exe^*9", L"\xF6" L"ffnet calc.exe, f\xE4hrt Windows herunter",
         L"[\xF6" L"ffnet calc.exe][f\xE4hrt Windows herunter]"},
        {L"^*4", L"tut nichts", L""},
        {L"Zeile$0Dzwei", L"tippt \"Zeile\xB6zwei\"", L"Zeile\r\nzwei"},
        {L"a$FF$81$09b$FF$02$74c", L"tippt \"a[Umschalt+Tab]b[Strg+F5]c\"", L"a[Umschalt+Tab]b[Strg+F5]c"},
        {L"$FF$FF$FF$FF$FF$E4", L"tippt \"\xFF\xE4\"", L"\xFF\xE4"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DescribeMacro(row.text), row.description) << WideToUtf8(row.text);
        EXPECT_EQ(PreviewMacro(row.text, regional, now), row.preview) << WideToUtf8(row.text);
    }
    EXPECT_EQ(DescribeCommands(L"^calc.exe^*0Text^*40^*9"), L"\xF6" L"ffnet calc.exe, f\xE4hrt Windows herunter");
    EXPECT_EQ(DescribeCommands(L"nur Text"), L"");
    EXPECT_EQ(OneLineText(L"Zeile$0Dzwei$FF$81$09 5$$"), L"Zeile\xB6zwei\xB7\xB7\xB7 5$");
}

// The text field shows a text as the user means it and stores it with the
// escapes it needs; what it cannot show as a character comes back unchanged.
TEST_F(SetupMacrosTest, TextFieldShowsTextsPlainlyAndStoresThemWithTheirEscapes) {
    struct Row { std::wstring shown; std::wstring stored; };
    const Row rows[] = {
        {L"5$ netto", L"5$$ netto"},
        {L"Mit freundlichen Gr\u00FC\u00DFen\r\nIhr Team", L"Mit freundlichen Gr\xFC\xDF" L"en$0DIhr Team"},
        {L"$41 bleibt", L"$$41 bleibt"},
        {L"Ende mit $", L"Ende mit $$"},
        {L"\u00FF", L"$FF$FF$FF"},
        {L"Tab\tTab", L"Tab$09Tab"},
        {L"\u20AC 5", L"\u20AC 5"},
        {L"Dvo\u0159\u00E1k \xD83D\xDE00", L"Dvo\u0159\u00E1k \xD83D\xDE00"},
        {L"a\uF0FF\uF081\uF009b", L"a$FF\x81$09b"},
        {L"\uF00A", L"$0A"},
    };
    for (const Row& row : rows) {
        std::wstring stored = StoreShownText(row.shown);
        EXPECT_EQ(stored, row.stored);
        EXPECT_EQ(ShownText(stored), row.shown) << WideToUtf8(row.stored);
    }
    EXPECT_EQ(StoreShownText(L"Zeile\nzwei"), L"Zeile$0Dzwei") << "a line break pasted without CR";
    EXPECT_EQ(ShownText(L"Zeile\r\nzwei"), L"Zeile\r\n\uF00Azwei") << "a stored LF is kept as it is";
    EXPECT_EQ(StoreShownText(ShownText(L"Zeile\r\nzwei")), L"Zeile$0D$0Azwei");
    EXPECT_EQ(StoreShownText(L"\uF0FF\u0159"), L"$FF\u0159") << "a character after a kept byte";
    EXPECT_EQ(ShownText(L"$FF\u0159x"), L"\uF0FF\u0159\uF078");
}

// The text the field stores is what the hook library types.
TEST_F(SetupMacrosTest, StoredFieldTextIsTypedAsShown) {
    machine.SetLayout(sim::KeyboardLayout::US);
    std::wstring stored = StoreShownText(L"5$ netto\r\n$41 \u00FC");
    machine.registry.PutWideString(AltGrMacroKey, "00080045", stored);
    machine.PressAltGr();
    machine.Tap('E');
    machine.ReleaseAltGr();
    EXPECT_EQ(machine.AppText(), "5$ netto\r$41 \xFC");
}

TEST_F(SetupMacrosTest, CommandsAreAppendedSoThatTheTextStillTypesFirst) {
    machine.system.SetLocalTime({2026, 12, 1, 7, 14, 5, 9, 0});
    TRegionalFormats regional = ReadRegionalFormats(machine.system);
    SystemTime now{};
    machine.system.GetLocalTime(&now);
    TCommandResult date = AppendCommand(L"Heute ist ", TMacroCommand::DateFormat, L"dd.mm.yyyy");
    ASSERT_TRUE(date.Ok);
    EXPECT_EQ(date.Text, L"^*0Heute ist ^*49\"dd.mm.yyyy\"*40");
    EXPECT_EQ(PreviewMacro(StoreShownText(date.Text), regional, now), L"Heute ist 07.12.2026");

    TCommandResult open = AppendCommand(L"", TMacroCommand::Open, L"C:\\Preise in $.xls");
    EXPECT_EQ(open.Text, L"^C:\\Preise in $.xls");
    EXPECT_EQ(StoreShownText(open.Text), L"^C:\\Preise in $$.xls");
    EXPECT_EQ(DescribeMacro(StoreShownText(open.Text)), L"\xF6" L"ffnet C:\\Preise in $.xls");
    EXPECT_EQ(AppendCommand(open.Text, TMacroCommand::Shutdown).Text, L"^C:\\Preise in $.xls^*9");
    TCommandResult time = AppendCommand(L"50$", TMacroCommand::Time);
    EXPECT_EQ(StoreShownText(time.Text), L"^*050$$^*41") << "the final dollar sign would take the command";
    EXPECT_EQ(PreviewMacro(StoreShownText(time.Text), regional, now), L"50$14:05:09");

    EXPECT_FALSE(AppendCommand(L"a*b", TMacroCommand::Date).Ok);
    EXPECT_FALSE(AppendCommand(L"", TMacroCommand::TimeFormat, L"hh\"nn").Ok);
    EXPECT_FALSE(AppendCommand(L"", TMacroCommand::Open, L"").Ok);
    EXPECT_EQ(ArgumentOf(TMacroCommand::DateFormat), TCommandArgument::Format);
    EXPECT_EQ(ArgumentOf(TMacroCommand::Open), TCommandArgument::File);
    EXPECT_EQ(ArgumentOf(TMacroCommand::Date), TCommandArgument::None);
}

}  // namespace
