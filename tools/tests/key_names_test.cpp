// Key names and the value names they make: each name is checked against
// the lookup itself, by binding a macro under it and pressing the keys.
#include <gtest/gtest.h>

#include "common/cp1252.h"
#include "tools/zolvik_sim/key_names.h"
#include "tools/zolvik_sim/session.h"
#include "tools/zolvik_sim/tool_error.h"

namespace {

TRegFile MacroAt(const std::string& key, const std::string& valueName, bool umlaut) {
    std::string body = "REGEDIT4\n[HKCU\\Software\\Quendlin\\Zolvik32\\Settings]\n\"Zolvik eingeschaltet\"=hex:01\n";
    if (umlaut) body += "\"Umlautwandlung\"=hex:01\n\"UmlautMode\"=hex:00\n";
    body += "[HKCU\\" + key + "]\n\"" + valueName + "\"=\"hit\"\n";
    return ParseRegFile("macro.reg", body);
}

TEST(KeyNamesTest, ValueNamesAreWhatTheLookupReads) {
    struct Case {
        const char* keys;    // as given to "zolvik-sim name"
        bool umlaut;
        const char* script;  // the same keys pressed
        bool capsOn;
        const char* name;
    };
    const Case cases[] = {
        {"AltGr+E", false, "AltGr+E", false, "00080045"},
        {"AltGr+Shift+E", false, "AltGr+Shift+E", false, "00090045"},
        {"CapsLock+AltGr+E", false, "AltGr+E", true, "00090045"},
        {"CapsLock+Shift+AltGr+E", false, "AltGr+Shift+E", true, "00090045"},
        {"Ctrl+Shift+F5", false, "Ctrl+Shift+F5", false, "00030074"},
        {"Alt+F5", false, "Alt+F5", false, "00000074"},
        {"Win+E", false, "Win+E", false, "00800045"},
        {"AltGr+Ctrl+E", false, "AltGr+Ctrl+E", false, "00080045"},
        {"AltGr+Home", false, "AltGr+Home", false, "00088024"},
        {"AltGr+NumHome", false, "AltGr+NumHome", false, "00080024"},
        {"AltGr+Del", false, "AltGr+Del", false, "0008802E"},
        {"Ctrl+NumEnter", false, "Ctrl+NumEnter", false, "0002800D"},
        {"Ctrl+Enter", false, "Ctrl+Enter", false, "0002000D"},
        {"F12", false, "F12", false, "0000007B"},
        {"Shift+NumDecimal", false, "Shift+NumDecimal", false, "0001006E"},
        {"AltGr+0xBF", false, "AltGr+Hash", false, "000800BF"},
        {"Ctrl+\xF6", false, "Ctrl+Oe", false, "000200C0"},
        {"\xC4", true, "Ae", false, "000000DE"},
        {"Shift+\xE4", true, "Shift+\xC4", false, "000100DE"},
        {"CapsLock+\xC4", true, "\xC4", true, "001000DE"},
        {"CapsLock+Shift+Ue", true, "Shift+\xDC", true, "001100BA"},
        {"\xDF", true, "Sz", false, "000000DB"},
        {"Win+Ae", true, "Win+Ae", false, "008000DE"},
    };
    for (const Case& c : cases) {
        TKeyCombo combo = ParseKeyCombo(c.keys);
        ASSERT_EQ(MacroNameOf(combo, c.umlaut), c.name) << c.keys;
        std::string key = c.umlaut ? "Software\\Quendlin\\Zolvik32\\Macros\\Umlaut\\Ascii"
                                   : "Software\\Quendlin\\Zolvik32\\Macros\\AltGr";
        TSession session(TSessionOptions{}, {MacroAt(key, c.name, c.umlaut)});
        if (c.capsOn) session.SwitchLockOn(0x14);
        session.Run(ParseScript(c.script));
        EXPECT_EQ(session.ReceivedText(), L"hit") << c.keys;
    }
}

TEST(KeyNamesTest, NamesThatAreRefused) {
    struct Case {
        const char* keys;
        bool umlaut;
        const char* message;
    };
    const Case cases[] = {
        {"Shfit+A", false, "unknown key name 'Shfit'"},
        {"A+B", false, "'A' is not a modifier"},
        {"Shift++A", false, "empty key name in 'Shift++A'"},
        {"", false, "empty key name"},
        {"F25", false, "unknown key name 'F25'"},
        {"F01", false, "unknown key name 'F01'"},
        {"0x00", false, "unknown key name '0x00'"},
        {"0xFF", false, "unknown key name '0xFF'"},
        {"0x1G", false, "unknown key name '0x1G'"},
        {"\xE9", false, "unknown key name '\xC3\xA9'"},
        {"Shift", false, "a modifier alone has no macro"},
        {"AltGr", false, "a modifier alone has no macro"},
        {"Ctrl+Win", false, "a modifier alone has no macro"},
        {"Ctrl+\xC4", true, "the umlaut tables are not consulted while Ctrl, Alt or AltGr is held"},
        {"AltGr+\xC4", true, "the umlaut tables are not consulted"},
    };
    for (const Case& c : cases) {
        try {
            MacroNameOf(ParseKeyCombo(c.keys), c.umlaut);
            ADD_FAILURE() << c.keys << ": accepted";
        } catch (const ToolError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << c.keys << ": " << error.what();
        }
    }
}

// The names "zolvik-sim help keys" lists, ranges written out.
TEST(KeyNamesTest, EveryNameTheHelpListsIsAccepted) {
    std::vector<std::string> names = {
        "Tab", "Enter", "Space", "Esc", "Backspace", "Pause", "CapsLock", "NumLock", "ScrollLock",
        "Home", "End", "Ins", "Del", "PgUp", "PgDn", "Left", "Up", "Right", "Down",
        "NumHome", "NumEnd", "NumIns", "NumDel", "NumPgUp", "NumPgDn", "NumLeft", "NumUp", "NumRight",
        "NumDown", "NumClear", "NumDecimal", "NumPlus", "NumMinus", "NumMultiply", "NumDivide",
        "NumEnter", "\xC4", "Ae", "\xD6", "Oe", "\xDC", "Ue", "\xDF", "Sz", "Hash", "Plus", "Comma",
        "Minus", "Period", "Caret", "Acute", "Less", "0x41", "Shift", "Ctrl", "Alt", "AltGr", "Win"};
    for (char c = 'A'; c <= 'Z'; ++c) names.emplace_back(1, c);
    for (int i = 0; i <= 9; ++i) names.push_back(std::to_string(i));
    for (int i = 1; i <= 24; ++i) names.push_back("F" + std::to_string(i));
    for (const std::string& name : names) EXPECT_NO_THROW(ParseKeyName(name)) << name;
    for (int i = 0; i <= 9; ++i) {
        EXPECT_EQ(ParseKeyName("Num" + std::to_string(i)).VirtualKey, 0x60 + i) << "the keypad digit " << i;
    }
}

TEST(KeyNamesTest, EventNames) {
    EXPECT_EQ(VirtualKeyName(0x10), "VK_SHIFT");
    EXPECT_EQ(VirtualKeyName(0x41), "0x41 'A'");
    EXPECT_EQ(VirtualKeyName(0x35), "0x35 '5'");
    EXPECT_EQ(VirtualKeyName(0x62), "VK_NUMPAD2");
    EXPECT_EQ(VirtualKeyName(0x87), "VK_F24");
    EXPECT_EQ(VirtualKeyName(0xE9), "0xE9");
}

}  // namespace
