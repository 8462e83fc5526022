// VkKeyScanA and MapVirtualKeyA of the real API against the simulated
// layouts, for every character 0x20-0xFF and for the keys the system presses
// or watches. Under Wine the real API answers from the X keymap, which
// tests/contract/run-with-keymap.sh sets and names in ZOLVIK_LAYOUT (us or
// de). The simulation follows Windows; where Wine answers otherwise, the
// difference is listed below with its reason, and every other answer must
// match exactly.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/sim_layouts.h"
#include "tests/contract/contract_backend.h"

namespace {

using sim::KeyboardLayout;

enum class Query {
    VkKeyScan,       // VkKeyScanA(code)
    ScanCode,        // MapVirtualKeyA(code, 0)
    Character,       // MapVirtualKeyA(code, 2)
    VirtualKey,      // MapVirtualKeyA(code, 1)
    LeftRightKey,    // MapVirtualKeyA(code, 3)
};

struct WineAnswer {
    Query query;
    std::uint32_t code;
    std::uint32_t wine;
};

struct KnownDifference {
    const char* reason;
    std::vector<WineAnswer> answers;
};

// Both X keymaps under Xvfb.
const KnownDifference CommonDifferences[] = {
    {"X has keypad parenthesis keys without a virtual key, and Wine takes them for ( and )",
     {{Query::VkKeyScan, '(', 0xFFFF}, {Query::VkKeyScan, ')', 0xFFFF}}},
    {"Windows types 0x7F as Ctrl+Backspace; Wine finds no key for it",
     {{Query::VkKeyScan, 0x7F, 0xFFFF}}},
    {"Wine gives no scan code for the keypad digits, Windows their keys' scan codes",
     {{Query::ScanCode, 0x60, 0}, {Query::ScanCode, 0x61, 0}, {Query::ScanCode, 0x62, 0},
      {Query::ScanCode, 0x63, 0}, {Query::ScanCode, 0x64, 0}, {Query::ScanCode, 0x65, 0},
      {Query::ScanCode, 0x66, 0}, {Query::ScanCode, 0x67, 0}, {Query::ScanCode, 0x68, 0},
      {Query::ScanCode, 0x69, 0}}},
    {"Wine gives no character for the keypad digits, Windows the digits",
     {{Query::Character, 0x60, 0}, {Query::Character, 0x61, 0}, {Query::Character, 0x62, 0},
      {Query::Character, 0x63, 0}, {Query::Character, 0x64, 0}, {Query::Character, 0x65, 0},
      {Query::Character, 0x66, 0}, {Query::Character, 0x67, 0}, {Query::Character, 0x68, 0},
      {Query::Character, 0x69, 0}}},
    {"Wine ignores the 0xE0 prefix of the right Ctrl and Alt keys and gives the left keys",
     {{Query::LeftRightKey, 0xE01D, 0xA2}, {Query::LeftRightKey, 0xE038, 0xA4}}},
    {"Wine reads 0x37 and 0x5B-0x5D as Print Screen, Windows and Applications keys, which "
     "Windows has only behind 0xE0 (keypad * and old terminal keys without it)",
     {{Query::VirtualKey, 0x37, 0x2C}, {Query::LeftRightKey, 0x37, 0x2C},
      {Query::VirtualKey, 0x5B, 0x5B}, {Query::LeftRightKey, 0x5B, 0x5B},
      {Query::VirtualKey, 0x5C, 0x5C}, {Query::LeftRightKey, 0x5C, 0x5C},
      {Query::VirtualKey, 0x5D, 0x5D}, {Query::LeftRightKey, 0x5D, 0x5D}}},
};

// The US X keymap.
const KnownDifference UsDifferences[] = {
    {"X's US keymap has < > | on the 102nd key, Windows' US layout \\ |",
     {{Query::VkKeyScan, '<', 0x00E2}, {Query::VkKeyScan, 0xA6, 0x07E2},
      {Query::Character, 0xE2, '<'}}},
    {"X has a keypad plus-minus key, which Wine gives a virtual key of its own",
     {{Query::VkKeyScan, 0xB1, 0x00E9}}},
    {"Wine's Latin-1 locale lacks 0x80-0x9F: Wine looks up a look-alike instead",
     {{Query::VkKeyScan, 0x80, 0x01BF}, {Query::VkKeyScan, 0x82, 0x00BC},
      {Query::VkKeyScan, 0x83, 0x0046}, {Query::VkKeyScan, 0x84, 0x01DE},
      {Query::VkKeyScan, 0x85, 0x00BE}, {Query::VkKeyScan, 0x86, 0x01BF},
      {Query::VkKeyScan, 0x87, 0x01BF}, {Query::VkKeyScan, 0x88, 0x0136},
      {Query::VkKeyScan, 0x89, 0x01BF}, {Query::VkKeyScan, 0x8A, 0x0153},
      {Query::VkKeyScan, 0x8B, 0x00E2}, {Query::VkKeyScan, 0x8C, 0x014F},
      {Query::VkKeyScan, 0x8E, 0x015A}, {Query::VkKeyScan, 0x91, 0x00DE},
      {Query::VkKeyScan, 0x92, 0x00DE}, {Query::VkKeyScan, 0x93, 0x01DE},
      {Query::VkKeyScan, 0x94, 0x01DE}, {Query::VkKeyScan, 0x95, 0x00BE},
      {Query::VkKeyScan, 0x96, 0x00BD}, {Query::VkKeyScan, 0x97, 0x00BD},
      {Query::VkKeyScan, 0x98, 0x01C0}, {Query::VkKeyScan, 0x99, 0x0154},
      {Query::VkKeyScan, 0x9A, 0x0053}, {Query::VkKeyScan, 0x9B, 0x01BE},
      {Query::VkKeyScan, 0x9C, 0x004F}, {Query::VkKeyScan, 0x9E, 0x005A},
      {Query::VkKeyScan, 0x9F, 0x0159}}},
};

// The German X keymap.
const KnownDifference GermanDifferences[] = {
    {"Wine gives the German punctuation keys the virtual keys of the US keys in their place",
     {{Query::VkKeyScan, '#', 0x00DC}, {Query::VkKeyScan, '\'', 0x01DC},
      {Query::VkKeyScan, '*', 0x01DD}, {Query::VkKeyScan, '+', 0x00DD},
      {Query::VkKeyScan, '-', 0x00BF}, {Query::VkKeyScan, '?', 0x01BD},
      {Query::VkKeyScan, '\\', 0x06BD}, {Query::VkKeyScan, '_', 0x01BF},
      {Query::VkKeyScan, '~', 0x06DD}, {Query::VkKeyScan, 0xB0, 0x01C0},
      {Query::VkKeyScan, 0xD6, 0x01BA}, {Query::VkKeyScan, 0xDC, 0x01DB},
      {Query::VkKeyScan, 0xDF, 0x00BD}, {Query::VkKeyScan, 0xF6, 0x00BA},
      {Query::VkKeyScan, 0xFC, 0x00DB},
      {Query::ScanCode, 0xBA, 0x27}, {Query::ScanCode, 0xBB, 0x60},
      {Query::ScanCode, 0xBD, 0x0C}, {Query::ScanCode, 0xBF, 0x35},
      {Query::ScanCode, 0xC0, 0x29}, {Query::ScanCode, 0xDB, 0x1A},
      {Query::ScanCode, 0xDC, 0x2B}, {Query::ScanCode, 0xDD, 0x1B},
      {Query::Character, 0xBA, 0xD6}, {Query::Character, 0xBB, 0xB4},
      {Query::Character, 0xBD, 0xDF}, {Query::Character, 0xBF, 0x2D},
      {Query::Character, 0xC0, 0x5E}, {Query::Character, 0xDB, 0xDC},
      {Query::Character, 0xDC, 0x23}, {Query::Character, 0xDD, 0x2B},
      {Query::VirtualKey, 0x0C, 0xBD}, {Query::LeftRightKey, 0x0C, 0xBD},
      {Query::VirtualKey, 0x1A, 0xDB}, {Query::LeftRightKey, 0x1A, 0xDB},
      {Query::VirtualKey, 0x1B, 0xDD}, {Query::LeftRightKey, 0x1B, 0xDD},
      {Query::VirtualKey, 0x27, 0xBA}, {Query::LeftRightKey, 0x27, 0xBA},
      {Query::VirtualKey, 0x29, 0xC0}, {Query::LeftRightKey, 0x29, 0xC0},
      {Query::VirtualKey, 0x2B, 0xDC}, {Query::LeftRightKey, 0x2B, 0xDC},
      {Query::VirtualKey, 0x35, 0xBF}, {Query::LeftRightKey, 0x35, 0xBF}}},
    {"Wine puts the acute dead key at scan code 0x60 and leaves 0x0D without a key",
     {{Query::VirtualKey, 0x0D, 0}, {Query::LeftRightKey, 0x0D, 0}}},
    {"Wine gives an umlaut key's capital (as if Caps Lock were on), Windows its unshifted letter",
     {{Query::Character, 0xDE, 0xC4}}},
    {"X's German AltGr is a level-3 shift, not a right Alt key: Wine has no scan code for it",
     {{Query::ScanCode, 0xA5, 0}}},
    {"Wine gives no character for the German keypad's decimal key, Windows \",\"",
     {{Query::Character, 0x6E, 0}}},
    {"Wine finds no key for the accents of the dead keys",
     {{Query::VkKeyScan, '^', 0xFFFF}, {Query::VkKeyScan, '`', 0xFFFF},
      {Query::VkKeyScan, 0xB4, 0xFFFF}}},
    {"Wine's Latin-1 locale lacks 0x80-0x9F (the euro sign too): Wine looks up a look-alike",
     {{Query::VkKeyScan, 0x80, 0x01BD}, {Query::VkKeyScan, 0x82, 0x00BC},
      {Query::VkKeyScan, 0x83, 0x0046}, {Query::VkKeyScan, 0x84, 0x0132},
      {Query::VkKeyScan, 0x85, 0x00BE}, {Query::VkKeyScan, 0x86, 0x01BD},
      {Query::VkKeyScan, 0x87, 0x01BD}, {Query::VkKeyScan, 0x89, 0x01BD},
      {Query::VkKeyScan, 0x8A, 0x0153}, {Query::VkKeyScan, 0x8B, 0x00E2},
      {Query::VkKeyScan, 0x8C, 0x014F}, {Query::VkKeyScan, 0x8E, 0x015A},
      {Query::VkKeyScan, 0x91, 0x01DC}, {Query::VkKeyScan, 0x92, 0x01DC},
      {Query::VkKeyScan, 0x93, 0x0132}, {Query::VkKeyScan, 0x94, 0x0132},
      {Query::VkKeyScan, 0x95, 0x00BE}, {Query::VkKeyScan, 0x96, 0x00BF},
      {Query::VkKeyScan, 0x97, 0x00BF}, {Query::VkKeyScan, 0x98, 0x06DD},
      {Query::VkKeyScan, 0x99, 0x0154}, {Query::VkKeyScan, 0x9A, 0x0053},
      {Query::VkKeyScan, 0x9B, 0x01E2}, {Query::VkKeyScan, 0x9C, 0x004F},
      {Query::VkKeyScan, 0x9E, 0x005A}, {Query::VkKeyScan, 0x9F, 0x0159}}},
    {"X's German keymap has AltGr and Shift+AltGr characters that Windows' German layout lacks",
     {{Query::VkKeyScan, 0xA1, 0x0731}, {Query::VkKeyScan, 0xA2, 0x0643},
      {Query::VkKeyScan, 0xA3, 0x0733}, {Query::VkKeyScan, 0xA4, 0x0734},
      {Query::VkKeyScan, 0xA5, 0x075A}, {Query::VkKeyScan, 0xA9, 0x0743},
      {Query::VkKeyScan, 0xAA, 0x0746}, {Query::VkKeyScan, 0xAB, 0x0658},
      {Query::VkKeyScan, 0xAC, 0x0636}, {Query::VkKeyScan, 0xAE, 0x0752},
      {Query::VkKeyScan, 0xAF, 0x07DD}, {Query::VkKeyScan, 0xB6, 0x0652},
      {Query::VkKeyScan, 0xB7, 0x06BC}, {Query::VkKeyScan, 0xB9, 0x0631},
      {Query::VkKeyScan, 0xBA, 0x074D}, {Query::VkKeyScan, 0xBB, 0x0659},
      {Query::VkKeyScan, 0xBC, 0x0634}, {Query::VkKeyScan, 0xBD, 0x0635},
      {Query::VkKeyScan, 0xBF, 0x07BD}, {Query::VkKeyScan, 0xC6, 0x0741},
      {Query::VkKeyScan, 0xD0, 0x0744}, {Query::VkKeyScan, 0xD7, 0x07BC},
      {Query::VkKeyScan, 0xD8, 0x074F}, {Query::VkKeyScan, 0xDE, 0x0750},
      {Query::VkKeyScan, 0xE6, 0x0641}, {Query::VkKeyScan, 0xF0, 0x0644},
      {Query::VkKeyScan, 0xF7, 0x07BE}, {Query::VkKeyScan, 0xF8, 0x064F},
      {Query::VkKeyScan, 0xFE, 0x0650}}},
    {"X has a keypad plus-minus key, which Wine gives a virtual key of its own",
     {{Query::VkKeyScan, 0xB1, 0x00EA}}},
};

struct NamedKey {
    std::uint8_t virtualKey;
    const char* name;
};

// The keys besides the character keys that the system presses or watches.
const NamedKey NonCharacterKeys[] = {
    {0x08, "Backspace"}, {0x09, "Tab"}, {0x0D, "Enter"}, {0x10, "Shift"}, {0x11, "Ctrl"},
    {0x12, "Alt"}, {0x14, "Caps Lock"}, {0x1B, "Esc"}, {0x20, "Space"}, {0x21, "Page Up"},
    {0x22, "Page Down"}, {0x23, "End"}, {0x24, "Home"}, {0x25, "Left"}, {0x26, "Up"},
    {0x27, "Right"}, {0x28, "Down"}, {0x2D, "Insert"}, {0x2E, "Delete"},
    {0x5B, "left Windows"}, {0x5C, "right Windows"}, {0x5D, "Applications"},
    {0x60, "keypad 0"}, {0x61, "keypad 1"}, {0x62, "keypad 2"}, {0x63, "keypad 3"},
    {0x64, "keypad 4"}, {0x65, "keypad 5"}, {0x66, "keypad 6"}, {0x67, "keypad 7"},
    {0x68, "keypad 8"}, {0x69, "keypad 9"}, {0x6A, "keypad *"}, {0x6B, "keypad +"},
    {0x6D, "keypad -"}, {0x6E, "keypad decimal"}, {0x6F, "keypad /"},
    {0x70, "F1"}, {0x71, "F2"}, {0x72, "F3"}, {0x73, "F4"}, {0x74, "F5"}, {0x75, "F6"},
    {0x76, "F7"}, {0x77, "F8"}, {0x78, "F9"}, {0x79, "F10"}, {0x7A, "F11"}, {0x7B, "F12"},
    {0x90, "Num Lock"}, {0x91, "Scroll Lock"}, {0xA0, "left Shift"}, {0xA1, "right Shift"},
    {0xA2, "left Ctrl"}, {0xA3, "right Ctrl"}, {0xA4, "left Alt"}, {0xA5, "right Alt"},
};

// Scan codes behind the 0xE0 prefix: right Ctrl, right Alt, the Windows keys.
const std::uint32_t PrefixedScanCodes[] = {0xE01D, 0xE038, 0xE05B, 0xE05C};

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

class KeyboardLayoutContract : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef _WIN32
        GTEST_SKIP() << "the simulated keyboard answers from these very tables";
#endif
        const char* name = std::getenv("ZOLVIK_LAYOUT");
        if (name == nullptr) GTEST_SKIP() << "no X keymap named in ZOLVIK_LAYOUT";
        std::string layoutName = name;
        ASSERT_TRUE(layoutName == "us" || layoutName == "de") << "ZOLVIK_LAYOUT=" << layoutName;
        layout = layoutName == "de" ? KeyboardLayout::German : KeyboardLayout::US;
        for (const KnownDifference& group : CommonDifferences) known.push_back(&group);
        if (layout == KeyboardLayout::German) {
            for (const KnownDifference& group : GermanDifferences) known.push_back(&group);
        } else {
            for (const KnownDifference& group : UsDifferences) known.push_back(&group);
        }
    }

    std::uint32_t Real(Query query, std::uint32_t code) {
        win::KeyboardApi& api = ContractKeyboard();
        switch (query) {
            case Query::VkKeyScan:
                return static_cast<std::uint16_t>(api.VkKeyScanA(static_cast<char>(code)));
            case Query::ScanCode: return api.MapVirtualKeyA(code, 0);
            case Query::VirtualKey: return api.MapVirtualKeyA(code, 1);
            case Query::Character: return api.MapVirtualKeyA(code, 2);
            case Query::LeftRightKey: return api.MapVirtualKeyA(code, 3);
        }
        return 0;
    }

    std::uint32_t Simulated(Query query, std::uint32_t code) const {
        switch (query) {
            case Query::VkKeyScan:
                return static_cast<std::uint16_t>(
                    sim::LayoutVkKeyScan(layout, static_cast<char>(code)));
            case Query::ScanCode: return sim::LayoutMapVirtualKey(layout, code, 0);
            case Query::VirtualKey: return sim::LayoutMapVirtualKey(layout, code, 1);
            case Query::Character: return sim::LayoutMapVirtualKey(layout, code, 2);
            case Query::LeftRightKey: return sim::LayoutMapVirtualKey(layout, code, 3);
        }
        return 0;
    }

    // Wine's answer must be the simulation's, or the listed one where a
    // difference is known; a listed difference that has gone away fails too,
    // so the list cannot go stale.
    void Compare(Query query, std::uint32_t code, const std::string& what) {
        std::uint32_t real = Real(query, code);
        std::uint32_t simulated = Simulated(query, code);
        for (const KnownDifference* group : known) {
            for (const WineAnswer& answer : group->answers) {
                if (answer.query != query || answer.code != code) continue;
                EXPECT_EQ(Hex(real), Hex(answer.wine)) << what << ": " << group->reason;
                EXPECT_NE(Hex(simulated), Hex(answer.wine))
                    << what << ": listed as a difference, but the simulation agrees";
                return;
            }
        }
        EXPECT_EQ(Hex(real), Hex(simulated)) << what;
    }

    // The virtual keys VkKeyScanA names for the characters, and the others.
    std::set<std::uint32_t> Keys() const {
        std::set<std::uint32_t> keys;
        for (unsigned byte = 0x20; byte <= 0xFF; ++byte) {
            std::uint32_t code = Simulated(Query::VkKeyScan, byte);
            if (code != 0xFFFF) keys.insert(code & 0xFF);
        }
        for (const NamedKey& key : NonCharacterKeys) keys.insert(key.virtualKey);
        return keys;
    }

    KeyboardLayout layout = KeyboardLayout::US;
    std::vector<const KnownDifference*> known;
};

TEST_F(KeyboardLayoutContract, KeyOfEveryCharacter) {
    for (unsigned byte = 0x20; byte <= 0xFF; ++byte) {
        Compare(Query::VkKeyScan, byte, "VkKeyScanA(" + Hex(byte) + ")");
    }
}

// The typing code passes the whole VkKeyScanA code, shift state included.
TEST_F(KeyboardLayoutContract, ShiftedCodesHaveNoScanCode) {
    for (unsigned byte = 0x20; byte <= 0xFF; ++byte) {
        std::uint32_t code = Simulated(Query::VkKeyScan, byte);
        if (code == 0xFFFF || code <= 0xFF) continue;
        Compare(Query::ScanCode, code,
                "MapVirtualKeyA(" + Hex(code) + ", 0) for " + Hex(byte));
    }
}

TEST_F(KeyboardLayoutContract, ScanCodeAndCharacterOfEveryKey) {
    for (std::uint32_t key : Keys()) {
        Compare(Query::ScanCode, key, "MapVirtualKeyA(" + Hex(key) + ", 0)");
        Compare(Query::Character, key, "MapVirtualKeyA(" + Hex(key) + ", 2)");
    }
}

TEST_F(KeyboardLayoutContract, KeyOfEveryScanCode) {
    std::set<std::uint32_t> scanCodes(std::begin(PrefixedScanCodes), std::end(PrefixedScanCodes));
    for (std::uint32_t key : Keys()) {
        std::uint32_t scanCode = Simulated(Query::ScanCode, key);
        if (scanCode != 0) scanCodes.insert(scanCode);
    }
    for (std::uint32_t scanCode : scanCodes) {
        Compare(Query::VirtualKey, scanCode, "MapVirtualKeyA(" + Hex(scanCode) + ", 1)");
        Compare(Query::LeftRightKey, scanCode, "MapVirtualKeyA(" + Hex(scanCode) + ", 3)");
    }
}

}  // namespace
