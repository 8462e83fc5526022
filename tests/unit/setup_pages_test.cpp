// The configuration program's pages over the simulated registry: what is
// read and shown, and that saving writes exactly what the user changed, in
// the types the system reads, and nothing else.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/control_messages.h"
#include "common/cp1252.h"
#include "hook/macro_store.h"
#include "macro/value_name.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"
#include "regfile/reg_file.h"
#include "memory_backup_folder.h"
#include "settings/options_registry.h"
#include "setup/reg_export.h"
#include "setup/macro_text.h"
#include "setup/setup_config.h"

using namespace win;

namespace {

constexpr const char* Folder = "C:\\Programme\\Zolvik32\\";

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint8_t> bytes) { return bytes; }
std::vector<std::uint8_t> Sz(const std::string& text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

std::vector<std::uint8_t> Sz16(const std::wstring& text) {
    std::string bytes = WideToUtf16Le(text + L'\0');
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(ZOLVIK_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class SetupPagesTest : public ::testing::Test {
protected:
    sim::SimMachine machine;
    TMemoryBackupFolder backups;
    TSetupConfig config{machine.platform, Folder, backups};

    // The whole configuration and the Run key, as a file: comparing two
    // snapshots shows every value that changed.
    std::string Snapshot() {
        TRegAccess registry(machine.registry, HKEY_CURRENT_USER);
        std::string run;
        for (const std::string& name : registry.ValueNames(RunKeyPath)) {
            run += name + "=" + TextOf(registry.Read(RunKeyPath, name).Data) + "\n";
        }
        return ExportConfiguration(registry, TExportKind::Plain) + run;
    }
    // Every value of the configuration as the wide calls give it.
    std::string WideSnapshot() {
        TRegAccess registry(machine.registry, HKEY_CURRENT_USER);
        std::string values;
        for (const std::string& key : ConfigurationKeys(registry)) {
            for (const std::string& name : registry.ValueNames(key)) {
                TRawValue value = registry.Read(key, name);
                values += key + "\\" + name + "=" + std::to_string(value.Type) + ":" +
                          std::string(value.Data.begin(), value.Data.end()) + "\n";
            }
        }
        return values;
    }
    void Put(const std::string& name, std::uint32_t type, std::vector<std::uint8_t> data) {
        machine.registry.Put(SettingsKeyPath, name, type, std::move(data));
    }
};

TEST_F(SetupPagesTest, SettingsAreShownAsStoredAndOnlyChangesAreWrittenAsFlags) {
    Put("EasyTab", REG_BINARY, Bytes({2}));
    Put("Zolvik eingeschaltet", REG_BINARY, Bytes({}));
    Put("DecimalDot", REG_EXPAND_SZ, Sz(","));
    Put("Zukunft", REG_BINARY, Bytes({5}));  // a value of a later version
    config.Load();
    EXPECT_TRUE(config.Settings.Flag(opEasyTab)) << "any byte but 0 is on";
    EXPECT_FALSE(config.Settings.Flag(opEnabled)) << "a flag of zero bytes is off";
    EXPECT_EQ(config.Settings.UmlautTable(), TUmlautTable::Ascii) << "no UmlautMode: the table the library reads then";
    EXPECT_EQ(config.Settings.DecimalDot(), L",");
    std::string before = Snapshot();

    config.Settings.SetFlag(opEasyTab, false);
    config.Settings.SetFlag(opEasyTab, true);  // and back: the stored 02 stays
    config.Settings.SetFlag(opEnabled, false);
    config.Settings.SetDecimalDot(L",");
    EXPECT_FALSE(config.HasChanges());
    EXPECT_EQ(config.Save(), "");
    EXPECT_EQ(Snapshot(), before) << "nothing changed, nothing written";

    config.Settings.SetFlag(opEasyBackslash, true);
    config.Settings.SetUmlautTable(TUmlautTable::Html);
    config.Settings.SetDecimalDot(L";");
    EXPECT_EQ(config.Save(), "");
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "EasyBackslash")->data, Bytes({1}));
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "EasyBackslash")->type, REG_BINARY);
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "UmlautMode")->data, Bytes({1}));
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "DecimalDot")->type, REG_EXPAND_SZ)
        << "a string keeps its string type";
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "DecimalDot")->data, Sz(";"));
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "EasyTab")->data, Bytes({2}));
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "Zukunft")->data, Bytes({5}));
    EXPECT_FALSE(machine.registry.Get(SettingsKeyPath, "Zolvik-Symbol verstecken"))
        << "a flag left off is not written";
}

TEST_F(SetupPagesTest, WronglyTypedValuesAreReportedAndRewrittenOnlyWhenTheUserSetsThem) {
    Put("NUM Punkt", REG_DWORD, Bytes({1, 0, 0, 0}));
    Put("DecimalDot", REG_BINARY, Bytes({0x2C}));
    config.Load();
    EXPECT_EQ(config.Problems(),
              (std::vector<std::string>{"Ung\xFCltiger Datentyp f\xFCr 'NUM Punkt'",
                                        "Ung\xFCltiger Datentyp f\xFCr 'DecimalDot'"}));
    EXPECT_FALSE(config.Settings.Flag(opNumDot)) << "shown as off, never guessed";

    config.Settings.SetFlag(opEasyTab, true);
    EXPECT_EQ(config.Save(), "");
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "NUM Punkt")->type, REG_DWORD);
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "DecimalDot")->type, REG_BINARY);

    config.Settings.SetFlag(opNumDot, false);  // the user sets the item, even to what it shows
    EXPECT_EQ(config.Save(), "");
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "NUM Punkt")->type, REG_BINARY);
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "NUM Punkt")->data, Bytes({0}));
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "DecimalDot")->type, REG_BINARY);
    config.Load();
    EXPECT_EQ(config.Problems(), std::vector<std::string>{"Ung\xFCltiger Datentyp f\xFCr 'DecimalDot'"});
}

TEST_F(SetupPagesTest, FailedWriteNamesTheValueAndWindowsReasonAndKeepsTheRest) {
    Window control = machine.windows.AddWindow(ControlWindowName, ControlWindowName);
    config.Load();
    config.Settings.SetFlag(opEasyBackslash, true);
    config.Settings.SetFlag(opHideIcon, true);
    config.Settings.SetStartWithWindows(true);
    machine.registry.DenyAccess(RunKeyPath);
    EXPECT_EQ(config.Save(), "Konnte Daten f\xFCr 'Zolvik32' nicht setzen: Zugriff verweigert");
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "EasyBackslash")->data, Bytes({1}));
    ASSERT_EQ(machine.windows.PostedTo(control).size(), 1u) << "the icon setting was written: refresh";
    EXPECT_FALSE(machine.registry.Get(RunKeyPath, RunValueName));
    EXPECT_TRUE(config.HasChanges()) << "the failed change stays on the page to be saved again";

    machine.registry.SetWritesFail(true);
    config.Settings.SetFlag(opEasyTab, true);
    EXPECT_EQ(config.Save(), "Konnte Daten f\xFCr 'EasyTab' nicht setzen: Zugriff verweigert");
    EXPECT_FALSE(machine.registry.Get(SettingsKeyPath, "EasyTab"));
}

TEST_F(SetupPagesTest, StartWithWindowsIsTheRunValueOfZolvik32InTheProgramFolder) {
    machine.registry.PutString(RunKeyPath, "Anderes", "C:\\x.exe");
    config.Load();
    EXPECT_FALSE(config.Settings.StartWithWindows());
    config.Settings.SetStartWithWindows(true);
    EXPECT_EQ(config.Save(), "");
    auto run = machine.registry.Get(RunKeyPath, "Zolvik32");
    ASSERT_TRUE(run);
    EXPECT_EQ(run->type, REG_SZ);
    EXPECT_EQ(run->data, Sz("\"C:\\Programme\\Zolvik32\\Zolvik32.exe\""));

    config.Load();
    EXPECT_TRUE(config.Settings.StartWithWindows());
    config.Settings.SetStartWithWindows(false);
    EXPECT_EQ(config.Save(), "");
    EXPECT_FALSE(machine.registry.Get(RunKeyPath, "Zolvik32"));
    EXPECT_TRUE(machine.registry.Get(RunKeyPath, "Anderes"));
}

TEST_F(SetupPagesTest, ChangedIconSettingAsksTheTrayProgramToRefreshItsIcon) {
    Window control = machine.windows.AddWindow(ControlWindowName, ControlWindowName);
    config.Load();
    config.Settings.SetFlag(opEasyTab, true);
    EXPECT_EQ(config.Save(), "");
    EXPECT_TRUE(machine.windows.PostedTo(control).empty());
    config.Settings.SetFlag(opHideIcon, true);
    EXPECT_EQ(config.Save(), "");
    ASSERT_EQ(machine.windows.PostedTo(control).size(), 1u);
    EXPECT_EQ(machine.windows.PostedTo(control)[0].message, UM_REFRESHICON);
    EXPECT_EQ(machine.windows.PostedTo(control)[0].wParam, 0u);
}

// The usual tables are those of the example configuration; entries of the
// tables that the page does not show are kept.
TEST_F(SetupPagesTest, RestoringTheUsualUmlautTablesGivesTheExampleTables) {
    sim::SimMachine example;
    TRegImporter(example.registry).Import(ParseRegFile("umlaut-tables.reg", ReadSource("examples/umlaut-tables.reg")));
    machine.registry.PutString(AsciiUmlautKey, "000000DE", "a-e");
    machine.registry.PutString(AsciiUmlautKey, "000100DB", "?");
    machine.registry.PutString(HtmlUmlautKey, "000000BB", "&plus;");
    config.Load();
    EXPECT_EQ(config.Umlauts.Cell(0, 0, 0).Text(), "a-e");
    EXPECT_EQ(UmlautCellLabel(3, 3), "Umschalt+Feststelltaste+\xDF");
    config.Umlauts.RestoreUsualTables();
    EXPECT_EQ(config.Save(), "");

    TRegAccess ours(machine.registry, HKEY_CURRENT_USER);
    TRegAccess theirs(example.registry, HKEY_CURRENT_USER);
    for (const char* key : {AsciiUmlautKey, HtmlUmlautKey}) {
        for (const std::string& name : theirs.ValueNames(key)) {
            EXPECT_EQ(ours.Read(key, name).Data, theirs.Read(key, name).Data) << key << " " << name;
        }
    }
    EXPECT_EQ(ours.ValueNames(AsciiUmlautKey), theirs.ValueNames(AsciiUmlautKey))
        << "Shift+sharp s is not in the usual table";
    EXPECT_EQ(TextOf(ours.Read(HtmlUmlautKey, "000000BB").Data), "&plus;");
}

// Values of the tables other than the usual cells are shown too, and can be
// changed and removed; the rules know them as claimed keys.
TEST_F(SetupPagesTest, EveryOtherValueOfTheUmlautTablesCanBeChangedOrRemoved) {
    machine.registry.PutString(HtmlUmlautKey, "000000BB", "&plus;");
    machine.registry.PutString(HtmlUmlautKey, "001100bf", "&num;");
    machine.registry.PutString(AsciiUmlautKey, "000000de", "klein geschrieben");
    machine.registry.PutString(AsciiUmlautKey, "Kommentar", "frei");
    config.Load();
    std::vector<std::string> labels;
    for (const TOtherUmlautEntry& other : config.Umlauts.Others()) labels.push_back(TUmlautPage::OtherLabel(other));
    EXPECT_EQ(labels, (std::vector<std::string>{"ASCII: Kommentar", "HTML: +", "HTML: Umschalt+Feststelltaste+#"}))
        << "a usual cell written in small letters is the cell";
    EXPECT_EQ(config.Umlauts.Cell(0, 0, 0).Text(), "klein geschrieben");
    config.Settings.SetFlag(opUmlautConversion, true);
    config.Settings.SetUmlautTable(TUmlautTable::Html);
    EXPECT_TRUE(config.Rules().UmlautNames.count("001100BF"));

    config.Umlauts.Others()[1].Slot.SetText("&#43;");
    config.Umlauts.Others()[2].Slot.Remove();
    EXPECT_EQ(config.Save(), "");
    EXPECT_EQ(TextOf(TRegAccess(machine.registry, HKEY_CURRENT_USER).Read(HtmlUmlautKey, "000000BB").Data), "&#43;");
    EXPECT_FALSE(machine.registry.Get(HtmlUmlautKey, "001100BF"));
    EXPECT_TRUE(machine.registry.Get(AsciiUmlautKey, "Kommentar"));
}

TEST_F(SetupPagesTest, SoundsAreStoredAsTheSystemReadsThemAndRegisteredForWindows) {
    machine.registry.PutString(std::string(EventLabelsKey) + "\\Aus", "", "Mein Aus");
    config.Load();
    config.Sounds.SchemeFile(seOn).SetText("C:\\Windows\\Media\\ding.wav");
    config.Sounds.SetToneSpec(seOff, TToneSpec{440, 200, 3, 100});
    EXPECT_EQ(config.Save(), "");
    EXPECT_EQ(machine.registry.Get("AppEvents\\Schemes\\Apps\\Zolvik32\\Ein\\.current", "")->data,
              Sz("C:\\Windows\\Media\\ding.wav"));
    EXPECT_EQ(machine.registry.Get(SpeakerKeyPath, "Aus")->data, Sz("440,200,3,100"));
    EXPECT_EQ(machine.registry.Get(SchemeAppKey, "")->data, Sz("Zolvik32"));
    EXPECT_EQ(machine.registry.Get("AppEvents\\EventLabels\\Gro\xDF" "schrift", "")->data,
              Sz("Zolvik32: Gro\xDF" "schrift"));
    EXPECT_EQ(machine.registry.Get("AppEvents\\EventLabels\\Aus", "")->data, Sz("Mein Aus"))
        << "a display name the user gave stays";
    EXPECT_TRUE(machine.registry.KeyExists("AppEvents\\Schemes\\Apps\\Zolvik32\\EasyTab\\.current"));
    EXPECT_FALSE(machine.registry.Get("AppEvents\\Schemes\\Apps\\Zolvik32\\EasyTab\\.current", ""))
        << "an event without a sound has its key and no file";

    config.Load();
    machine.registry.PutString(SpeakerKeyPath, "Umlaut", "440, 200,1,0");
    config.Load();
    config.Sounds.SetToneSpec(seUmlaut, TToneSpec{440, 200, 1, 0});
    EXPECT_FALSE(config.HasChanges()) << "the same tones written otherwise are not rewritten";
}

TEST_F(SetupPagesTest, PlayingGoesThroughTheTrayProgramOrPlaysTheValuesShown) {
    config.Load();
    config.Sounds.SchemeFile(seOn).SetText("ding.wav");
    config.Sounds.SetToneSpec(seOff, TToneSpec{880, 50, 3, 20});
    std::atomic<bool> stop{false};
    PlaySoundEvent(machine.platform, seOn, false, config.Sounds, true, stop);
    PlaySoundEvent(machine.platform, seOff, true, config.Sounds, true, stop);
    ASSERT_EQ(machine.sound.Played().size(), 1u);
    EXPECT_EQ(machine.sound.Played()[0].sound, "ding.wav");
    EXPECT_EQ(machine.sound.Played()[0].flags, SND_FILENAME);
    ASSERT_EQ(machine.sound.Beeps().size(), 3u);
    EXPECT_EQ(machine.sound.Beeps()[2].frequency, 880u);
    EXPECT_EQ(machine.system.Sleeps(), (std::vector<std::uint32_t>{20, 20})) << "no pause after the last";

    Window control = machine.windows.AddWindow(ControlWindowName, ControlWindowName);
    PlaySoundEvent(machine.platform, seCapsLock, false, config.Sounds, false, stop);
    ASSERT_EQ(machine.windows.PostedTo(control).size(), 1u);
    EXPECT_EQ(machine.windows.PostedTo(control)[0].message, UM_PLAYSOUND);
    EXPECT_EQ(machine.windows.PostedTo(control)[0].wParam, WParam(seCapsLock));
}

// A long series is bounded as the tray program bounds it, and a stop asked
// for ends it.
TEST_F(SetupPagesTest, ToneSeriesIsBoundedAndStops) {
    config.Load();
    config.Sounds.SetToneSpec(seOff, TToneSpec{440, 300, 1000, 200});
    std::atomic<bool> stop{false};
    PlaySoundEvent(machine.platform, seOff, true, config.Sounds, true, stop);
    std::uint32_t waited = 0;
    for (const auto& beep : machine.sound.Beeps()) waited += beep.milliseconds;
    for (std::uint32_t sleep : machine.system.Sleeps()) waited += sleep;
    EXPECT_EQ(waited, 10000u) << "ten seconds in all";
    EXPECT_EQ(machine.sound.Beeps().size(), 100u) << "at most a hundred tones";

    stop = true;
    PlaySoundEvent(machine.platform, seOff, true, config.Sounds, true, stop);
    EXPECT_EQ(machine.sound.Beeps().size(), 100u) << "nothing after a stop";
}

TEST_F(SetupPagesTest, ExportReimportedGivesTheSameRegistryAndTheSameFile) {
    for (const char* example :
         {"examples/german-office.reg", "examples/umlaut-tables.reg", "examples/program-rules.reg"}) {
        TRegImporter(machine.registry).Import(ParseRegFile(example, ReadSource(example)));
    }
    const std::string macros = "Software\\Quendlin\\Zolvik32\\Macros\\AltGr";
    machine.registry.Put(macros, "00080041", REG_SZ, Bytes({'a', 'b'}));        // no NUL
    machine.registry.Put(macros, "00080042", REG_SZ, Bytes({'a', 0, 'b', 0}));  // two texts
    machine.registry.Put(macros, "00080043", REG_EXPAND_SZ, Sz("%TEMP%\\\"x\""));
    machine.registry.Put(macros, "00080044", REG_SZ, Sz("Zeile\r\nzwei"));
    machine.registry.Put(macros, "Quote\"Name\\", REG_DWORD, Bytes({1, 2, 3, 4}));
    machine.registry.Put(macros, "", REG_SZ, Sz("Standard"));
    machine.registry.Put(SettingsKeyPath, "Leer", REG_BINARY, Bytes({}));
    machine.registry.Put(SettingsKeyPath, "Mehrere", REG_MULTI_SZ, Bytes({'a', 0, 0}));
    machine.registry.PutString("AppEvents\\Schemes\\Apps\\Zolvik32\\Ein\\.current", "", "ein.wav");
    machine.registry.PutString("Software\\Anderes", "x", "not ours");

    TRegAccess original(machine.registry, HKEY_CURRENT_USER);
    std::string exported = ExportConfiguration(original, TExportKind::Plain);
    EXPECT_EQ(exported.find("not ours"), std::string::npos);

    sim::SimMachine fresh;
    TRegImporter(fresh.registry).Import(ParseRegFile("export.reg", exported));
    TRegAccess copy(fresh.registry, HKEY_CURRENT_USER);
    EXPECT_EQ(ExportConfiguration(copy, TExportKind::Plain), exported);
    std::vector<std::string> keys = ConfigurationKeys(original);
    ASSERT_EQ(ConfigurationKeys(copy), keys);
    for (const std::string& key : keys) {
        for (const std::string& name : original.ValueNames(key)) {
            TRawValue a = original.Read(key, name);
            TRawValue b = copy.Read(key, name);
            EXPECT_EQ(a.Type, b.Type) << key << " " << name;
            EXPECT_EQ(a.Data, b.Data) << key << " " << name;
        }
    }
}

// A text outside code page 1252 makes the export a version 5.00 file,
// which brings every value back byte for byte.
TEST_F(SetupPagesTest, MacroWithAnyCharacterRoundTripsThroughExportAndImport) {
    TRegImporter(machine.registry).Import(ParseRegFile("german-office.reg", ReadSource("examples/german-office.reg")));
    config.Load();
    const std::wstring dvorak = L"Dvo\u0159\u00E1k \xD83D\xDE00 $";
    ASSERT_EQ(config.Macros.Add(*ParseValueName("00080056"), StoreShownText(dvorak), config.Rules()), "");
    config.Settings.SetDecimalDot(L"\u2027");
    ASSERT_EQ(config.Save(), "");
    EXPECT_EQ(machine.registry.Get(AltGrMacroKey, "00080056")->data,
              Sz16(L"Dvo\u0159\u00E1k \xD83D\xDE00 $$")) << "stored whole, in UTF-16";
    std::string saved = WideSnapshot();
    std::string exported = config.Export(TExportKind::Plain);
    ASSERT_EQ(exported.rfind(WideToUtf16Le(L"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n["), 0), 0u);
    EXPECT_NE(exported.find(WideToUtf16Le(L"\"00080056\"=\"Dvo\u0159\u00E1k \xD83D\xDE00 $$\"\r\n")), std::string::npos)
        << "a quoted text, as the registry editor writes it";

    config.Macros.Remove(*config.Macros.Find(*ParseValueName("00080056")));
    config.Settings.SetDecimalDot(L",");
    ASSERT_EQ(config.Save(), "");
    ASSERT_FALSE(machine.registry.Get(AltGrMacroKey, "00080056"));
    ASSERT_EQ(config.Import(config.PlanImport("export.reg", exported)), "");
    EXPECT_EQ(WideSnapshot(), saved);
    EXPECT_EQ(ShownText(config.Macros.Find(*ParseValueName("00080056"))->Slot.WideText()), dvorak);
    EXPECT_EQ(config.Export(TExportKind::Plain), exported);
}

// Pages that show a text in code page 1252 leave a stored text they cannot
// show as it is.
TEST_F(SetupPagesTest, TextShownInCodePage1252IsNotRewrittenUnlessChanged) {
    const std::string ein = "AppEvents\\Schemes\\Apps\\Zolvik32\\Ein\\.current";
    machine.registry.PutWideString(ein, "", L"C:\\T\u00F6ne\\\u0159.wav");
    config.Load();
    config.Sounds.SchemeFile(seOn).SetText(config.Sounds.SchemeFile(seOn).Text());
    EXPECT_FALSE(config.HasChanges());
    ASSERT_EQ(config.Save(), "");
    EXPECT_EQ(machine.registry.Get(ein, "")->data, Sz16(L"C:\\T\u00F6ne\\\u0159.wav"));
}

TEST_F(SetupPagesTest, ImportedFileIsShownAndTheTrayProgramRefreshesItsIcon) {
    Window control = machine.windows.AddWindow(ControlWindowName, ControlWindowName);
    config.Load();
    std::string file = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Settings]\r\n"
                       "\"Zolvik-Symbol verstecken\"=hex:01\r\n";
    EXPECT_EQ(config.Import(config.PlanImport("icon.reg", file)), "");
    EXPECT_TRUE(config.Settings.Flag(opHideIcon));
    EXPECT_FALSE(config.HasChanges()) << "what was imported is stored, not pending";
    ASSERT_EQ(machine.windows.PostedTo(control).size(), 1u);
    EXPECT_EQ(machine.windows.PostedTo(control)[0].message, UM_REFRESHICON);
}

TEST_F(SetupPagesTest, ImportReadsTheUnicodeFormatOfTheRegistryEditorToo) {
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Macros\\AltGr]\r\n"
                       "\"00080047\"=\"Gr\xFC\xDF" "e\"\r\n";
    std::string file = "\xFF\xFE";  // UTF-16LE with its byte-order mark
    for (char c : text) file += std::string{c, '\0'};
    config.Load();
    EXPECT_EQ(config.Import(config.PlanImport("unicode.reg", file)), "");
    ASSERT_EQ(config.Macros.Entries().size(), 1u);
    EXPECT_EQ(config.Macros.Entries()[0]->Slot.Text(), "Gr\xFC\xDF" "e") << "code page 1252 in the registry";
}

// A file may touch the configuration's own trees and the Run value that
// starts Zolvik32; anything else is refused with its line, and nothing of
// the file is written.
TEST_F(SetupPagesTest, ImportRefusesWhatIsNotTheConfigurationAndNamesTheLine) {
    config.Load();
    const std::string own = "[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Settings]\r\n\"EasyTab\"=hex:01\r\n";
    const std::string run = "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n";
    struct Row { std::string body; std::string failure; };
    const Row rows[] = {
        {own + "[HKEY_CURRENT_USER\\Environment]\r\n\"Path\"=\"C:\\\\x\"\r\n",
         "t.reg, Zeile 5: [HKEY_CURRENT_USER\\Environment] geh\xF6rt nicht zu Zolvik32; die Datei wird nicht importiert."},
        {own + run + "\"Anderes\"=\"C:\\\\boese.exe\"\r\n",
         "t.reg, Zeile 6: Der Wert \"Anderes\" in [HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run] "
         "geh\xF6rt nicht zu Zolvik32; die Datei wird nicht importiert."},
        {"[-HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n",
         "t.reg, Zeile 3: [HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run] geh\xF6rt nicht"},
        {"[HKEY_LOCAL_MACHINE\\Software\\Quendlin\\Zolvik32]\r\n", "t.reg, Zeile 3: [HKEY_LOCAL_MACHINE\\"},
        {"[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik320]\r\n", "t.reg, Zeile 3: [HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik320]"},
        {"[HKEY_CURRENT_USER\\AppEvents\\EventLabels\\SystemStart]\r\n", "t.reg, Zeile 3: [HKEY_CURRENT_USER\\AppEvents"},
        {own + "\"NUM Punkt\"=hex:1x\r\n", "t.reg, Zeile 5: Hex-Daten: '1x'"},
        {own + run + "\"zolvik32\"=\"\\\"C:\\\\Z\\\\Zolvik32.exe\\\"\"\r\n"
                     "[HKEY_CURRENT_USER\\AppEvents\\EventLabels\\Ein]\r\n@=\"Zolvik32: Ein\"\r\n", ""},
    };
    for (const Row& row : rows) {
        std::string before = Snapshot();
        TImportPlan plan = config.PlanImport("t.reg", "REGEDIT4\r\n\r\n" + row.body);
        EXPECT_EQ(plan.Failure.substr(0, row.failure.size()), row.failure) << row.body;
        EXPECT_EQ(plan.Failure.empty(), row.failure.empty()) << plan.Failure;
        if (!plan.Failure.empty()) {
            EXPECT_EQ(config.Import(plan), plan.Failure);
            EXPECT_EQ(Snapshot(), before) << "nothing written for " << row.body;
        }
    }
    EXPECT_TRUE(backups.files.empty()) << "a refused file needs no backup";
    std::string huge = "REGEDIT4\r\n" + std::string(LargestImport, ';');
    EXPECT_EQ(config.PlanImport("gross.reg", huge).Failure,
              "gross.reg: die Datei ist gr\xF6\xDF" "er als 1 MiB und wird nicht gelesen.");
}

TEST_F(SetupPagesTest, ImportShowsWhatWouldChangeBeforeWritingAnything) {
    Put("EasyTab", REG_BINARY, Bytes({1}));
    Put("NUM Punkt", REG_BINARY, Bytes({1}));
    machine.registry.PutString(AltGrMacroKey, "00080045", "alt");
    config.Load();
    std::string before = Snapshot();
    TImportPlan plan = config.PlanImport(
        "t.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Settings]\r\n"
                 "\"EasyTab\"=hex:01\r\n\"NUM Punkt\"=hex:00\r\n\"EasyBackslash\"=hex:01\r\n"
                 "[-HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Macros]\r\n");
    ASSERT_EQ(plan.Failure, "");
    EXPECT_EQ(Snapshot(), before) << "planning writes nothing";
    EXPECT_EQ(DescribeChanges(plan.Changes, 10),
              "Neu: Software\\Quendlin\\Zolvik32\\Settings \"EasyBackslash\"\r\n"
              "Ge\xE4ndert: Software\\Quendlin\\Zolvik32\\Settings \"NUM Punkt\"\r\n"
              "Gel\xF6scht: Software\\Quendlin\\Zolvik32\\Macros\\AltGr \"00080045\"\r\n");
    EXPECT_EQ(DescribeChanges(plan.Changes, 1), "Neu: Software\\Quendlin\\Zolvik32\\Settings \"EasyBackslash\"\r\n"
                                                "... und 2 weitere\r\n");
}

// A write that fails half-way puts everything back as it was.
TEST_F(SetupPagesTest, FailedImportLeavesTheConfigurationAsItWas) {
    Put("EasyTab", REG_BINARY, Bytes({1}));
    machine.registry.PutString(AltGrMacroKey, "00080045", "alt");
    machine.registry.PutString(RunKeyPath, RunValueName, "\"C:\\alt\\Zolvik32.exe\"");
    config.Load();
    std::string before = Snapshot();
    machine.registry.DenyAccess(HtmlUmlautKey);
    TImportPlan plan = config.PlanImport(
        "t.reg", "REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32]\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Settings]\r\n\"NUM Punkt\"=hex:01\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n\"Zolvik32\"=-\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Macros\\Umlaut\\HTML]\r\n\"000000DE\"=\"x\"\r\n");
    ASSERT_EQ(plan.Failure, "");
    std::string failure = config.Import(plan);
    EXPECT_EQ(failure.rfind("t.reg, Zeile 8: ", 0), 0u) << failure;
    EXPECT_NE(failure.find("wieder, wie sie war"), std::string::npos) << failure;
    EXPECT_EQ(Snapshot(), before);
    EXPECT_TRUE(machine.registry.Get(RunKeyPath, RunValueName)) << "the Run value is back too";
    EXPECT_EQ(backups.files.size(), 1u);
}

// A full backup deletes everything first and carries the Run value: after
// any change, importing it gives the registry it was taken from.
TEST_F(SetupPagesTest, FullBackupRestoresExactlyWhatWasSaved) {
    for (const char* example : {"examples/german-office.reg", "examples/umlaut-tables.reg"}) {
        TRegImporter(machine.registry).Import(ParseRegFile(example, ReadSource(example)));
    }
    machine.registry.Put(AltGrMacroKey, "00080041", REG_SZ, Bytes({'a', 'b'}));
    machine.registry.PutString(RunKeyPath, RunValueName, "\"C:\\Z\\Zolvik32.exe\"");
    config.Load();
    std::string saved = Snapshot();
    std::string backup = config.Export(TExportKind::FullBackup);
    EXPECT_EQ(backup.rfind("REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32]\r\n", 0), 0u);

    machine.registry.PutString(AltGrMacroKey, "00080042", "neu");
    machine.registry.CreateKey("Software\\Quendlin\\Zolvik32\\Macros\\Fremd\\Tief");
    machine.registry.PutString(RunKeyPath, RunValueName, "anders");
    ASSERT_EQ(config.Import(config.PlanImport("sicherung.reg", backup)), "");
    EXPECT_EQ(Snapshot(), saved);
    EXPECT_FALSE(machine.registry.KeyExists("Software\\Quendlin\\Zolvik32\\Macros\\Fremd"));

    TRegAccess(machine.registry, HKEY_CURRENT_USER).Delete(RunKeyPath, RunValueName);
    std::string withoutRun = config.Export(TExportKind::FullBackup);
    machine.registry.PutString(RunKeyPath, RunValueName, "anders");
    ASSERT_EQ(config.Import(config.PlanImport("sicherung.reg", withoutRun)), "");
    EXPECT_FALSE(machine.registry.Get(RunKeyPath, RunValueName)) << "a missing Run value is restored as missing";
}

TEST_F(SetupPagesTest, EverySaveAndImportKeepsABackupOfTheTenNewest) {
    machine.system.SetLocalTime({2026, 12, 1, 7, 14, 5, 9, 0});
    config.Load();
    EXPECT_EQ(config.Save(), "");
    EXPECT_TRUE(backups.files.empty()) << "nothing to save, nothing to back up";
    for (int i = 0; i < 11; ++i) {
        config.Settings.SetFlag(opEasyTab, i % 2 == 0);
        EXPECT_EQ(config.Save(), "");
    }
    std::vector<std::string> names = config.Backups();
    ASSERT_EQ(names.size(), KeptBackups);
    EXPECT_EQ(names.front(), "Sicherung 2026-12-07 14-05-09 (11).reg") << "newest first";
    EXPECT_EQ(names.back(), "Sicherung 2026-12-07 14-05-09 (2).reg") << "the oldest is gone";
    EXPECT_NE(backups.files[names.front()].find("[-HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32]"),
              std::string::npos);
    EXPECT_NE(backups.files[names.front()].find("\"EasyTab\"=hex:00"), std::string::npos)
        << "taken before the last save, which switched EasyTab on";

    EXPECT_TRUE(config.Settings.Flag(opEasyTab));
    ASSERT_EQ(config.Import(config.PlanRestore(names.front())), "");
    EXPECT_FALSE(config.Settings.Flag(opEasyTab));

    backups.writesFail = true;
    config.Settings.SetFlag(opEasyBackslash, true);
    EXPECT_EQ(config.Save(), "Die Sicherung konnte nicht geschrieben werden: Zugriff verweigert");
    EXPECT_FALSE(machine.registry.Get(SettingsKeyPath, "EasyBackslash")) << "no save without its backup";
}

}  // namespace
