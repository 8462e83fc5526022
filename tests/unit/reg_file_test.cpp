// Registry files: both formats, every kind of line, every error, and the
// import into a registry.
#include <gtest/gtest.h>

#include "platform/sim/sim_registry.h"
#include "platform/win_constants.h"
#include "regfile/reg_file.h"

using namespace win;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr const char* Key = "Software\\Quendlin\\Zolvik32\\Settings";

std::string Regedit4(const std::string& body) { return "REGEDIT4\r\n\r\n" + body; }

// A version 5 file from UTF-8 text: the byte-order mark and UTF-16LE, with
// CR LF line ends.
std::string Version5(const std::u16string& body) {
    std::u16string text = u"Windows Registry Editor Version 5.00\n\n" + body;
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        if (unit == u'\n') bytes += std::string("\r\0", 2);
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// String data as the registry stores it.
Bytes Utf16(const std::u16string& text) {
    Bytes bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

Bytes Sz(const std::u16string& text) { return Utf16(text + u'\0'); }

TRegEntry OnlyValue(const TRegFile& file) {
    EXPECT_EQ(file.Entries.size(), 2u) << "the key and one value";
    return file.Entries.back();
}

TEST(RegFileTest, ValueForms) {
    struct Case {
        const char* why;
        std::string line;
        std::string name;
        std::uint32_t type;
        Bytes data;
    };
    const Case cases[] = {
        {"string with the two escapes", R"("a\\b"="say \"hi\" C:\\")", "a\\b", REG_SZ, Sz(u"say \"hi\" C:\\")},
        {"code page 1252 characters", "\"Gro\xDF\"=\"\xFC\x80\"", "Gro\xDF", REG_SZ, Sz(u"\u00FC\u20AC")},
        {"default value", "@=\"x\"", "", REG_SZ, Sz(u"x")},
        {"empty string", "\"e\"=\"\"", "e", REG_SZ, Sz(u"")},
        {"dword, little-endian", "\"d\"=dword:0000002A", "d", REG_DWORD, Bytes{0x2A, 0, 0, 0}},
        {"dword, short and lower case", "\"d\"=DWORD:1f", "d", REG_DWORD, Bytes{0x1F, 0, 0, 0}},
        {"binary", "\"b\"=hex:01,ff, 7", "b", REG_BINARY, Bytes{0x01, 0xFF, 0x07}},
        {"empty binary", "\"b\"=hex:", "b", REG_BINARY, Bytes{}},
        {"continued binary", "\"b\"=hex:01,02,\\\r\n  03,\\\r\n  04", "b", REG_BINARY, Bytes{1, 2, 3, 4}},
        {"expand string is ANSI in REGEDIT4", "\"x\"=hex(2):25,41,80,00", "x", REG_EXPAND_SZ, Sz(u"%A\u20AC")},
        {"multi string", "\"m\"=hex(7):61,00,62,00,00", "m", REG_MULTI_SZ, Utf16(std::u16string(u"a\0b\0\0", 5))},
        {"string without its NUL", "\"n\"=hex(1):61", "n", REG_SZ, Utf16(u"a")},
        {"qword", "\"q\"=hex(b):01,00,00,00,00,00,00,00", "q", REG_QWORD, Bytes{1, 0, 0, 0, 0, 0, 0, 0}},
        {"any other type", "\"n\"=hex(0):", "n", REG_NONE, Bytes{}},
        {"blanks around =", "\"s\" = \"v\"  ", "s", REG_SZ, Sz(u"v")},
    };
    for (const Case& c : cases) {
        TRegFile file = ParseRegFile("t.reg", Regedit4("[HKEY_CURRENT_USER\\Software]\r\n" + c.line + "\r\n"));
        TRegEntry entry = OnlyValue(file);
        EXPECT_EQ(entry.Action, TRegAction::SetValue) << c.why;
        EXPECT_EQ(entry.Name, c.name) << c.why;
        EXPECT_EQ(entry.Type, c.type) << c.why;
        EXPECT_EQ(entry.Data, c.data) << c.why;
        EXPECT_EQ(entry.Line, 4) << c.why;
    }
}

TEST(RegFileTest, KeysDeletionsAndComments) {
    TRegFile file = ParseRegFile("t.reg", "REGEDIT4\n"
                                          "; a comment\n"
                                          "\n"
                                          "  [HKCU\\Software\\A]  \n"
                                          "\"gone\"=-\n"
                                          "[-HKEY_CURRENT_USER\\Software\\B]\n"
                                          "   ; [not a key]\n"
                                          "[hklm\\Software\\C]\n");
    ASSERT_EQ(file.Entries.size(), 4u);
    EXPECT_EQ(file.Entries[0].Action, TRegAction::CreateKey);
    EXPECT_EQ(file.Entries[0].Root, HKEY_CURRENT_USER);
    EXPECT_EQ(file.Entries[0].Path, "Software\\A");
    EXPECT_EQ(file.Entries[0].Line, 4);
    EXPECT_EQ(file.Entries[1].Action, TRegAction::DeleteValue);
    EXPECT_EQ(file.Entries[1].Name, "gone");
    EXPECT_EQ(file.Entries[2].Action, TRegAction::DeleteKey);
    EXPECT_EQ(file.Entries[2].Path, "Software\\B");
    EXPECT_EQ(file.Entries[3].Root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(file.Entries[3].Line, 8);
}

TEST(RegFileTest, Version5NamesBecomeCodePage1252AndTextsHoldAnyCharacter) {
    TRegFile file = ParseRegFile("t.reg", Version5(u"; \u4E2D comments may hold anything\n"
                                                   u"[HKEY_CURRENT_USER\\Software\\Gr\u00FC\u00DFe]\n"
                                                   u"\"\u20AC\"=\"Dvo\u0159\u00E1k \U0001F600\"\n"
                                                   u"\"x\"=hex(2):25,00,59,01,00,00\n"
                                                   u"\"m\"=hex(7):61,00,00,00,00,00\n"
                                                   u"\"b\"=hex:fc,00\n"));
    ASSERT_EQ(file.Entries.size(), 5u);
    EXPECT_EQ(file.Entries[0].Path, "Software\\Gr\xFC\xDF" "e");
    EXPECT_EQ(file.Entries[1].Name, "\x80");
    EXPECT_EQ(file.Entries[1].Data, Sz(u"Dvo\u0159\u00E1k \U0001F600"));
    EXPECT_EQ(file.Entries[2].Data, Sz(u"%\u0159")) << "UTF-16 string data as they are";
    EXPECT_EQ(file.Entries[3].Data, Utf16(std::u16string(u"a\0\0", 3)));
    EXPECT_EQ(file.Entries[4].Data, (Bytes{0xFC, 0x00})) << "binary data stays as it is";
    EXPECT_EQ(file.Entries[4].Line, 8);
}

TEST(RegFileTest, Errors) {
    struct Case {
        const char* why;
        std::string file;
        std::string message;  // "t.reg, Zeile LINE: reason" or the start of it
    };
    const std::string key = "[HKEY_CURRENT_USER\\Software]\r\n";
    const Case cases[] = {
        {"empty", "", "t.reg, Zeile 1: leere Datei"},
        {"no header", "[HKEY_CURRENT_USER\\Software]\r\n", "t.reg, Zeile 1: die erste Zeile muss REGEDIT4"},
        {"UTF-8", "\xEF\xBB\xBFREGEDIT4\r\n", "t.reg: UTF-8 ist keine Kodierung von Registrierungsdateien"},
        {"UTF-16 big-endian", "\xFE\xFF\0R", "t.reg: UTF-16 Big-Endian"},
        {"version 5 in 8 bits", "Windows Registry Editor Version 5.00\r\n",
         "t.reg, Zeile 1: eine Datei der Version 5.00 muss UTF-16LE"},
        {"UTF-16 without its mark", std::string("R\0E\0", 4), "t.reg, Zeile 1: NUL-Byte"},
        {"value first", Regedit4("\"a\"=\"b\"\r\n"), "t.reg, Zeile 3: Wert vor dem ersten [Schl\xFCssel]"},
        {"value under a deleted key", Regedit4("[-HKCU\\Software]\r\n\"a\"=\"b\"\r\n"),
         "t.reg, Zeile 4: Wert unter einem Schl\xFCssel, der gel\xF6scht wird"},
        {"stray text", Regedit4(key + "a=b\r\n"), "t.reg, Zeile 4: erwartet: [Schl\xFCssel]"},
        {"key without ]", Regedit4("[HKCU\\Software\r\n"), "t.reg, Zeile 3: Schl\xFCsselzeile ohne schlie\xDF" "ende ]"},
        {"unknown root", Regedit4("[HKEY_USERS\\x]\r\n"), "t.reg, Zeile 3: unbekannter Stammschl\xFCssel 'HKEY_USERS'"},
        {"empty key name", Regedit4("[HKCU\\Software\\\\x]\r\n"), "t.reg, Zeile 3: leerer Schl\xFCsselname"},
        {"trailing backslash", Regedit4("[HKCU\\Software\\]\r\n"), "t.reg, Zeile 3: leerer Schl\xFCsselname"},
        {"deleting a root", Regedit4("[-HKCU]\r\n"), "t.reg, Zeile 3: ein Stammschl\xFCssel kann nicht gel\xF6scht werden"},
        {"name without its quote", Regedit4(key + "\"a=\"b\r\n"), "t.reg, Zeile 4: nach dem Wertnamen fehlt ="},
        {"no =", Regedit4(key + "\"a\" \"b\"\r\n"), "t.reg, Zeile 4: nach dem Wertnamen fehlt ="},
        {"string without its quote", Regedit4(key + "\"a\"=\"b\r\n"), "t.reg, Zeile 4: Text ohne schlie\xDF" "endes Anf\xFChrungszeichen"},
        {"unknown escape", Regedit4(key + "\"a\"=\"C:\\x\"\r\n"), "t.reg, Zeile 4: unbekanntes Escape in Text"},
        {"text after a string", Regedit4(key + "\"a\"=\"b\" c\r\n"), "t.reg, Zeile 4: unerwarteter Text nach dem Wert: 'c'"},
        {"dword too long", Regedit4(key + "\"a\"=dword:123456789\r\n"), "t.reg, Zeile 4: dword: braucht 1 bis 8 Hex-Ziffern"},
        {"dword not hex", Regedit4(key + "\"a\"=dword:12g\r\n"), "t.reg, Zeile 4: dword: braucht"},
        {"hex byte of three digits", Regedit4(key + "\"a\"=hex:01,100\r\n"), "t.reg, Zeile 4: Hex-Daten: '100'"},
        {"hex byte not hex", Regedit4(key + "\"a\"=hex:zz\r\n"), "t.reg, Zeile 4: Hex-Daten: 'zz'"},
        {"empty hex byte", Regedit4(key + "\"a\"=hex:01,,02\r\n"), "t.reg, Zeile 4: Hex-Daten: ''"},
        {"bad hex type", Regedit4(key + "\"a\"=hex(x):01\r\n"), "t.reg, Zeile 4: hex(N): braucht einen Typ"},
        {"unknown data", Regedit4(key + "\"a\"=qword:1\r\n"), "t.reg, Zeile 4: unbekannte Wertdaten 'qword:1'"},
        {"continuation at the end", Regedit4(key + "\"a\"=hex:01,\\"), "t.reg, Zeile 4: Fortsetzung"},
        {"error in a continued line names its first", Regedit4(key + "\"a\"=hex:01,\\\r\n  0g\r\n"),
         "t.reg, Zeile 4: Hex-Daten: '0g'"},
        {"odd UTF-16 data", Version5(u"[HKCU\\x]\n\"a\"=hex(2):41\n"), "t.reg, Zeile 4: Textdaten in hex: UTF-16-Daten mit einer ungeraden"},
        {"value name without 1252 byte", Version5(u"[HKCU\\x]\n\"\u4E2D\"=\"a\"\n"), "t.reg, Zeile 4: Zeichen U+4E2D gibt es in Codepage 1252 nicht"},
        {"key path without 1252 byte", Version5(u"[HKCU\\x\U0001F600]\n"), "t.reg, Zeile 3: Zeichen U+1F600 gibt es in Codepage 1252 nicht"},
        {"NUL in a key name", Version5(std::u16string(u"[HKCU\\x\0y]\n", 11)), "t.reg, Zeile 3: NUL-Zeichen"},
        {"REGEDIT4 in UTF-16", "\xFF\xFE" + std::string("R\0E\0G\0E\0D\0I\0T\0" "4\0", 16),
         "t.reg, Zeile 1: eine REGEDIT4-Datei muss in Codepage 1252"},
    };
    for (const Case& c : cases) {
        try {
            ParseRegFile("t.reg", c.file);
            ADD_FAILURE() << c.why << ": parsed";
        } catch (const RegFileError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, c.message.size()), c.message)
                << c.why << ": " << error.what();
        }
    }
}

class RegImportTest : public ::testing::Test {
protected:
    sim::SimRegistry registry;
    TRegImporter importer{registry};

    void Import(const std::string& body) { importer.Import(ParseRegFile("t.reg", Regedit4(body))); }
};

TEST_F(RegImportTest, SetsValuesAndMakesKeys) {
    Import("[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Settings]\r\n"
           "\"EasyTab\"=hex:01\r\n"
           "\"DecimalDot\"=\",\"\r\n"
           "@=dword:7\r\n"
           "[HKCU\\Empty\\Key]\r\n");
    EXPECT_EQ(registry.Get(Key, "EasyTab")->type, REG_BINARY);
    EXPECT_EQ(registry.Get(Key, "EasyTab")->data, Bytes{1});
    EXPECT_EQ(registry.Get(Key, "DecimalDot")->data, (Bytes{',', 0}));
    EXPECT_EQ(registry.Get(Key, "")->data, (Bytes{7, 0, 0, 0}));
    EXPECT_TRUE(registry.KeyExists("Empty\\Key"));
    EXPECT_EQ(registry.OpenHandleCount(), 0u) << "every key closed again";
}

// Strings go in with the wide call, so that every character arrives.
TEST_F(RegImportTest, TextsOutsideCodePage1252ArriveWhole) {
    importer.Import(ParseRegFile("t.reg", Version5(u"[HKCU\\Software\\Quendlin\\Zolvik32\\Settings]\n"
                                                   u"\"DecimalDot\"=\"\u2027\"\n"
                                                   u"\"x\"=hex(2):59,01,00,00\n")));
    EXPECT_EQ(registry.Get(Key, "DecimalDot")->data, Sz(u"\u2027"));
    EXPECT_EQ(registry.Get(Key, "x")->type, REG_EXPAND_SZ);
    EXPECT_EQ(registry.Get(Key, "x")->data, Sz(u"\u0159"));
}

TEST_F(RegImportTest, DeletesValuesQuietlyWhetherOrNotTheyExist) {
    registry.PutByte(Key, "EasyTab", 1);
    Import(std::string("[HKCU\\") + Key + "]\r\n\"EasyTab\"=-\r\n\"Missing\"=-\r\n[HKCU\\No\\Such]\r\n\"x\"=-\r\n");
    EXPECT_FALSE(registry.Get(Key, "EasyTab"));
}

// The whole tree goes, also keys that no imported file made.
TEST_F(RegImportTest, DeletingAKeyDeletesTheWholeTreeBelowIt) {
    Import("[HKCU\\Software\\Quendlin\\Zolvik32\\Macros\\AltGr]\r\n\"00080045\"=\"x\"\r\n");
    registry.CreateKey("Software\\Quendlin\\Zolvik32\\Macros\\Umlaut\\Ascii");
    registry.PutByte(Key, "EasyTab", 1);
    Import("[-HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32]\r\n[-HKCU\\Never\\Made]\r\n");
    EXPECT_FALSE(registry.KeyExists("Software\\Quendlin\\Zolvik32"));
    EXPECT_TRUE(registry.KeyExists("Software\\Quendlin"));
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(RegImportTest, RegistryRefusalNamesTheLine) {
    registry.SetWritesFail(true);
    try {
        Import("[HKCU\\Software]\r\n\r\n\"a\"=\"b\"\r\n");
        ADD_FAILURE() << "imported";
    } catch (const RegFileError& error) {
        EXPECT_STREQ(error.what(),
                     "t.reg, Zeile 5: \"a\" in [HKEY_CURRENT_USER\\Software] kann nicht gesetzt werden (Fehler 5)");
    }
}

}  // namespace
