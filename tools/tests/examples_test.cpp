// Each example configuration does what its header comment says, replayed
// through the whole system. Texts are UTF-8 as the tool prints them.
#include <gtest/gtest.h>

#include <sstream>

#include "tools/zolvik_sim/commands.h"

namespace {

const std::string Office = std::string(ZOLVIK_SOURCE_DIR) + "/examples/german-office.reg";
const std::string Umlauts = std::string(ZOLVIK_SOURCE_DIR) + "/examples/umlaut-tables.reg";
const std::string Programs = std::string(ZOLVIK_SOURCE_DIR) + "/examples/program-rules.reg";
const std::string SettingsKey = "[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Settings] ";

struct Case {
    const char* why;
    std::vector<std::string> args;  // after "run"
    std::string out;
    std::string locks = "locks: Caps Lock off, Num Lock off, Scroll Lock off\n";
    std::string keysDown = "keys down: none\n";
};

void Replay(const Case& c) {
    std::vector<std::string> args = {"run"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::ostringstream out, err;
    EXPECT_EQ(RunTool(args, out, err), 0) << c.why << ": " << err.str();
    EXPECT_EQ(out.str(), c.out + c.locks + c.keysDown) << c.why;
}

TEST(GermanOfficeExampleTest, Macros) {
    const Case cases[] = {
        {"greeting", {"--reg", Office, "AltGr+G"}, "received: \"Sehr geehrte Damen und Herren,\\r\\r\"\n"},
        {"informal greeting", {"--reg", Office, "AltGr+Shift+G"}, "received: \"Hallo zusammen,\\r\\r\"\n"},
        {"signature", {"--reg", Office, "AltGr+S"},
         "received: \"Mit freundlichen Gr\xC3\xBC\xC3\x9F" "en\\r\\rErika Mustermann\"\n"},
        {"short signature, umlauts as escapes", {"--reg", Office, "AltGr+Shift+S"},
         "received: \"Viele Gr\xC3\xBC\xC3\x9F" "e\\rErika\"\n"},
        {"signature on the US layout, umlauts as Alt codes", {"--reg", Office, "--layout", "us", "AltGr+S"},
         "received: \"Mit freundlichen Gr\xC3\xBC\xC3\x9F" "en\\r\\rErika Mustermann\"\n"},
        {"regional long date", {"--reg", Office, "AltGr+D"}, "received: \"Montag, 7. Dezember 2026\"\n"},
        {"custom date", {"--reg", Office, "--at", "2027-01-05", "AltGr+Shift+D"}, "received: \"05.01.2027\"\n"},
        {"regional time", {"--reg", Office, "AltGr+T"}, "received: \"14:05:09\"\n"},
        {"custom time", {"--reg", Office, "AltGr+Shift+T"}, "received: \"14:05 Uhr\"\n"},
        {"the calculator", {"--reg", Office, "AltGr+R"}, "received: \"\"\nopened: calc.exe\n"},
        {"the letter template", {"--reg", Office, "AltGr+B"},
         "received: \"\"\nopened: C:\\Eigene Dateien\\Briefbogen.doc\n"},
        {"a template that is not there", {"--reg", Office, "--missing", "C:\\Eigene Dateien\\Briefbogen.doc", "AltGr+B"},
         "received: \"\"\ncannot open: C:\\Eigene Dateien\\Briefbogen.doc\nbeep: MB_ICONEXCLAMATION\n"},
    };
    for (const Case& c : cases) Replay(c);
}

TEST(GermanOfficeExampleTest, BuiltInFeatures) {
    const Case cases[] = {
        {"EasyTab outside a dialog types Tab and Shift+Tab", {"--reg", Office, "NumPlus", "NumMinus"},
         "received: \"\\t\\t\"\n"},
        {"EasyTab in a dialog moves the focus", {"--reg", Office, "--dialog", "NumPlus", "NumMinus"},
         "received: \"\"\nposted: WM_NEXTDLGCTL wParam=0 lParam=0 to the application\n"
         "posted: WM_NEXTDLGCTL wParam=-1 lParam=0 to the application\n"},
        {"AltGr+F2 switches EasyTab off, announced", {"--reg", Office, "AltGr+F2", "NumPlus"},
         "received: \"+\"\nsound: EasyTab\nsound: Aus\nchanged: " + SettingsKey + "\"EasyTab\" hex:01 -> hex:00\n"},
        {"NUM Punkt types the comma where the layout has a dot, and AltGr+F3 switches it",
         {"--reg", Office, "--layout", "us", "NumDecimal", "AltGr+F3", "NumDecimal"},
         "received: \",.\"\nsound: NUM Punkt\nsound: Aus\nchanged: " + SettingsKey + "\"NUM Punkt\" hex:01 -> hex:00\n"},
        {"EasyBackslash", {"--reg", Office, "Hash", "AltGr+Hash", "Shift+Hash"}, "received: \"\\\\#'\"\n"},
        {"lock keys are announced", {"--reg", Office, "CapsLock", "CapsLock", "NumLock", "ScrollLock"},
         "received: \"\"\nsound: Gro\xC3\x9F" "schrift\nsound: Ein\nsound: Gro\xC3\x9F" "schrift\nsound: Aus\n"
         "sound: Zehnerblock\nsound: Ein\nsound: Rollen\nsound: Ein\n",
         "locks: Caps Lock off, Num Lock on, Scroll Lock on\n"},
        {"with Caps Lock on, AltGr+G is looked up as AltGr+Shift+G", {"--reg", Office, "--caps-on", "AltGr+G"},
         "received: \"Hallo zusammen,\\r\\r\"\n", "locks: Caps Lock on, Num Lock off, Scroll Lock off\n"},
        {"AltGr+F1 switches everything off", {"--reg", Office, "AltGr+F1", "AltGr+G", "Hash"},
         "received: \"#\"\nsound: Aus\nchanged: " + SettingsKey + "\"Zolvik eingeschaltet\" hex:01 -> hex:00\n"},
    };
    for (const Case& c : cases) Replay(c);
}

TEST(ProgramRulesExampleTest, RemoteDesktopsGetTheKeysUntouched) {
    const std::string greeting = "received: \"Sehr geehrte Damen und Herren,\\r\\r\"\n";
    const Case cases[] = {
        {"in the remote desktop", {"--reg", Office, "--reg", Programs, "--program", "mstsc.exe", "AltGr+G", "Hash"},
         "received: \"#\"\n"},
        {"no sound there", {"--reg", Office, "--reg", Programs, "--program", "VMware.EXE", "CapsLock", "CapsLock"},
         "received: \"\"\n"},
        {"in any other program", {"--reg", Office, "--reg", Programs, "--program", "winword.exe", "AltGr+G"},
         greeting},
        {"without the rules", {"--reg", Office, "--program", "mstsc.exe", "AltGr+G"}, greeting},
        {"a password field keeps the # key, macros type", {"--reg", Office, "--password", "Hash", "AltGr+G"},
         "received: \"#Sehr geehrte Damen und Herren,\\r\\r\"\n"},
        {"the umlaut tables spare a password field", {"--reg", Umlauts, "--password", "\"\xC3\xA4\""},
         "received: \"\xC3\xA4\"\n"},
    };
    for (const Case& c : cases) Replay(c);
}

TEST(UmlautTablesExampleTest, Conversions) {
    const Case cases[] = {
        {"ASCII table", {"--reg", Umlauts, "\"\xC3\x84rger \xC3\xBC" "ber \xC3\x96l, s\xC3\xBC\xC3\x9F\""},
         "received: \"Aerger ueber Oel, suess\"\n"},
        {"Caps Lock: all capitals", {"--reg", Umlauts, "--caps-on", "\"\xC3\x84RGER \xC3\x9C" "BER \xC3\x96L, GRO\xC3\x9F\""},
         "received: \"AERGER UEBER OEL, GROSS\"\n", "locks: Caps Lock on, Num Lock off, Scroll Lock off\n"},
        {"Shift with Caps Lock types small letters",
         {"--reg", Umlauts, "--caps-on", "Shift+\xC3\x84", "Shift+\xC3\x96", "Shift+\xC3\x9C"},
         "received: \"aeoeue\"\n", "locks: Caps Lock on, Num Lock off, Scroll Lock off\n"},
        {"the sharp s key with Shift or Caps Lock types a question mark", {"--reg", Umlauts, "Shift+Sz"},
         "received: \"?\"\n"},
        {"HTML table after two switches: the first switches conversion off",
         {"--reg", Umlauts, "AltGr+H", "\xC3\xA4", "AltGr+H", "\"\xC3\x84rger s\xC3\xBC\xC3\x9F\""},
         "received: \"\xC3\xA4&Auml;rger s&uuml;&szlig;\"\n"
         "changed: " + SettingsKey + "\"UmlautMode\" hex:00 -> hex:01\n"},
        {"HTML with Caps Lock", {"--reg", Umlauts, "AltGr+H", "AltGr+H", "--caps-on", "\"\xC3\x9C\""},
         "received: \"&Uuml;\"\nchanged: " + SettingsKey + "\"UmlautMode\" hex:00 -> hex:01\n", "locks: Caps Lock on, Num Lock off, Scroll Lock off\n"},
        {"AltGr+U switches conversion off, with the office set's sounds",
         {"--reg", Office, "--reg", Umlauts, "AltGr+U", "\"\xC3\xA4\""},
         "received: \"\xC3\xA4\"\nsound: Umlaut\nsound: Aus\n"
         "changed: " + SettingsKey + "\"Umlautwandlung\" hex:01 -> hex:00\n"},
    };
    for (const Case& c : cases) Replay(c);
}

}  // namespace
