// Value names, "$" escapes and the two lookups of the macro store.
#include <gtest/gtest.h>

#include "hook/macro_store.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

TKeyFlags Flags(std::uint8_t bits) { return TKeyFlags{bits}; }

TEST(MacroValueNameTest, WorkedNames) {
    struct Case {
        const char* keys;
        std::uint16_t keyCode;
        std::uint8_t flags;  // KeyFlags at the press
        bool umlautLookup;
        const char* expected;
    };
    const Case cases[] = {
        {"AltGr+E", 0x45, 0x0E, false, "00080045"},
        {"AltGr+Shift+E", 0x45, 0x0F, false, "00090045"},
        {"AltGr+E with Caps Lock on", 0x45, 0x1E, false, "00090045"},
        {"Ctrl+Shift+F5", 0x74, 0x03, false, "00030074"},
        {"F5 with Num Lock on", 0x74, 0x40, false, "00000074"},
        {"Alt+F5", 0x74, 0x04, false, "00000074"},
        {"right Windows key + E", 0x45, 0x80, false, "00800045"},
        {"AltGr+Home (extended)", 0x8024, 0x0E, false, "00088024"},
        {"0xDE with Shift and Caps Lock", 0xDE, 0x11, true, "001100DE"},
        {"left Ctrl + left Alt + E", 0x45, 0x06, false, "00020045"},
    };
    for (const Case& c : cases) {
        sim::SimMachine machine;
        THookProcess process(machine.platform, 1);
        process.KeyFlags = Flags(c.flags);
        std::string key = c.umlautLookup ? AsciiUmlautKey : AltGrMacroKey;
        machine.registry.PutString(key, c.expected, "hit");
        std::uint16_t virtualKey = c.keyCode & 0xFF;
        TKeyEvent event{virtualKey, (c.keyCode & 0x8000) ? ExtendedKeyBit : 0u};
        std::wstring found = c.umlautLookup ? LookupUmlautMacro(process, event)
                                           : LookupAltGrMacro(process, event);
        EXPECT_EQ(found, L"hit") << c.keys;
    }
}

TEST(MacroValueNameTest, AltGrHidesCtrlAndAlt) {
    EXPECT_EQ(MacroValueName(0x45, Flags(0x0E)), MacroValueName(0x45, Flags(0x08)));
    EXPECT_EQ(MacroValueName(0x45, Flags(0x0E)), "00080045");
}

TEST(ExpandDollarEscapesTest, Table) {
    struct Case {
        std::string stored;
        std::string expanded;
    };
    const Case cases[] = {
        {"a$$b", "a$b"},
        {"$$41", "$41"},
        {"$41$42", "AB"},
        {"$4a", "J"},
        {"x$09y", std::string("x\x09y")},
        {"$FF$81$09", "\xFF\x81\x09"},
        {"$zz!", "!"},
        {"$4x", ""},
        {"ab$4", std::string("ab\x04")},
        {"50$", "50$"},
        {"$24$24", "$$"},
        {"$", "$"},
        {"$$", "$"},
        {"$$$", "$$"},
        {"$00", std::string(1, '\0')},
        {"$4x$41", "A"},
        {"$g", ""},
        {"a$4", std::string("a\x04")},
        {"$$$41", "$A"},
        {"ab$41cd$", "abAcd$"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExpandDollarEscapes(c.stored), c.expanded) << c.stored;
    }
}

// Escapes count characters: the two after "$" are taken whatever they are,
// a surrogate pair as one.
TEST(ExpandDollarEscapesTest, WideTextTable) {
    struct Case {
        std::wstring stored;
        std::wstring expanded;
    };
    const Case cases[] = {
        {L"$80", L"\x20AC"},
        {L"$9f$A0", L"\x0178\x00A0"},
        {L"\x0142$41\x2192", L"\x0142" L"A\x2192"},
        {L"$4\x0142x", L"x"},
        {L"a$\x0142" L"bc", L"ac"},
        {L"$4\xD83D\xDE00!", L"!"},
        {L"$\xD83D\xDE00" L"ab", L"b"},
        {L"$$\xD83D\xDE00", L"$\xD83D\xDE00"},
        {L"\xD83D\xDE00$", L"\xD83D\xDE00$"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExpandDollarEscapes(c.stored), c.expanded);
    }
}

class MacroLookupTest : public ::testing::Test {
protected:
    sim::SimMachine machine;
    THookProcess process{machine.platform, 1};
};

TEST_F(MacroLookupTest, StoredValueIsExpandedAndCutAtItsNul) {
    machine.registry.Put(AltGrMacroKey, "00080045", REG_SZ,
                         {'G', 'r', '$', 'F', 'C', 0xDF, 'e', 0, 'x', 0});
    process.KeyFlags = Flags(0x0E);
    EXPECT_EQ(LookupAltGrMacro(process, {0x45, 0}), L"Gr\xFC\xDF" L"e");
}

// Windows NT's wide read keeps every character and costs no more calls
// than the ANSI one; Windows 95/98 reads code page 1252, "?" for the rest.
TEST_F(MacroLookupTest, WideStoredTextIsReadWholeOnNtAndInCp1252On9x) {
    machine.registry.PutWideString(AltGrMacroKey, "00080045", L"\x0141\x00F3" L"d\x017A $80");
    process.KeyFlags = Flags(0x0E);
    std::uint64_t calls = machine.registry.CallCount();
    EXPECT_EQ(LookupAltGrMacro(process, {0x45, 0}), L"\x0141\x00F3" L"d\x017A \x20AC");
    std::uint64_t wideCalls = machine.registry.CallCount() - calls;
    machine.registry.PutString(AltGrMacroKey, "00080045", "\xF3 $80");
    calls = machine.registry.CallCount();
    EXPECT_EQ(LookupAltGrMacro(process, {0x45, 0}), L"\x00F3 \x20AC") << "an ANSI value";
    EXPECT_EQ(machine.registry.CallCount() - calls, wideCalls);
    machine.registry.PutWideString(AltGrMacroKey, "00080045", L"\x0141\x00F3" L"d\x017A $80");
    machine.system.SetWindowsNT(false);
    THookProcess process9x(machine.platform, 2);
    process9x.KeyFlags = Flags(0x0E);
    EXPECT_EQ(LookupAltGrMacro(process9x, {0x45, 0}), L"?\x00F3" L"d? \x20AC");
}

TEST_F(MacroLookupTest, ExpandStringIsReadUnexpanded) {
    machine.registry.Put(AltGrMacroKey, "00000074", REG_EXPAND_SZ,
                         {'%', 'T', 'E', 'M', 'P', '%', 0});
    EXPECT_EQ(LookupAltGrMacro(process, {0x74, 0}), L"%TEMP%");
}

TEST_F(MacroLookupTest, MissingKeyValueOrEmptyTextIsNoMacro) {
    EXPECT_EQ(LookupAltGrMacro(process, {0x45, 0}), L"");
    machine.registry.CreateKey(AltGrMacroKey);
    EXPECT_EQ(LookupAltGrMacro(process, {0x45, 0}), L"");
    machine.registry.PutString(AltGrMacroKey, "00000045", "$zz");
    EXPECT_EQ(LookupAltGrMacro(process, {0x45, 0}), L"");
    EXPECT_EQ(machine.registry.OpenHandleCount(), 1u) << "only the settings key stays open";
}

TEST_F(MacroLookupTest, WronglyTypedValueIsNoMacroAndTheKeyIsClosed) {
    machine.registry.Put(AltGrMacroKey, "00000045", REG_BINARY, {'h', 'i'});
    machine.registry.Put(AltGrMacroKey, "00000046", REG_DWORD, {1, 0, 0, 0});
    EXPECT_EQ(LookupAltGrMacro(process, {0x45, 0}), L"");
    EXPECT_EQ(LookupAltGrMacro(process, {0x46, 0}), L"");
    EXPECT_EQ(machine.registry.OpenHandleCount(), 1u);
}

TEST_F(MacroLookupTest, CapsLockCountsAsShiftOnlyForAltGrMacros) {
    machine.registry.PutString(AltGrMacroKey, "00010041", "shift");
    machine.registry.PutString(AsciiUmlautKey, "00010041", "shift");
    machine.registry.PutString(AsciiUmlautKey, "00100041", "caps");
    process.KeyFlags = Flags(1u << kfCapsLock);
    EXPECT_EQ(LookupAltGrMacro(process, {0x41, 0}), L"shift");
    EXPECT_EQ(LookupUmlautMacro(process, {0x41, 0}), L"caps");
}

TEST_F(MacroLookupTest, ExtendedBitOnlyInAltGrMacros) {
    machine.registry.PutString(AltGrMacroKey, "00008024", "extended home");
    machine.registry.PutString(AltGrMacroKey, "00000024", "keypad home");
    machine.registry.PutString(AsciiUmlautKey, "00000024", "umlaut home");
    EXPECT_EQ(LookupAltGrMacro(process, {0x24, ExtendedKeyBit}), L"extended home");
    EXPECT_EQ(LookupAltGrMacro(process, {0x24, 0}), L"keypad home");
    EXPECT_EQ(LookupUmlautMacro(process, {0x24, ExtendedKeyBit}), L"umlaut home");
}

TEST_F(MacroLookupTest, UmlautModeSelectsTheTable) {
    machine.registry.PutString(AsciiUmlautKey, "000000DE", "ae");
    machine.registry.PutString(HtmlUmlautKey, "000000DE", "&auml;");
    EXPECT_EQ(LookupUmlautMacro(process, {0xDE, 0}), L"ae") << "missing mode reads as ASCII";
    machine.registry.PutByte(SettingsKeyPath, "UmlautMode", 1);
    EXPECT_EQ(LookupUmlautMacro(process, {0xDE, 0}), L"&auml;");
    machine.registry.PutByte(SettingsKeyPath, "UmlautMode", 2);
    std::uint64_t opens = machine.registry.OpenCount();
    EXPECT_EQ(LookupUmlautMacro(process, {0xDE, 0}), L"");
    EXPECT_EQ(machine.registry.OpenCount(), opens) << "no macro key opened";
}

}  // namespace
