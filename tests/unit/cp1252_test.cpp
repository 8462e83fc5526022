// Code page 1252 against Unicode, as Windows converts it.
#include <gtest/gtest.h>

#include "common/cp1252.h"

namespace {

TEST(Cp1252Test, BytesAndCodePoints) {
    struct Case {
        unsigned char byte;
        char32_t codePoint;
    };
    const Case cases[] = {
        {0x41, U'A'},        {0x80, U'\u20AC'},   {0x81, U'\u0081'}, {0x8A, U'\u0160'},
        {0x9D, U'\u009D'},   {0x9F, U'\u0178'},   {0xA0, U'\u00A0'}, {0xDF, U'\u00DF'},
        {0xFC, U'\u00FC'},   {0xFF, U'\u00FF'},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Cp1252ToCodePoint(c.byte), c.codePoint) << int(c.byte);
        EXPECT_EQ(CodePointToCp1252(c.codePoint), std::optional<char>(static_cast<char>(c.byte)));
    }
    EXPECT_EQ(CodePointToCp1252(U'\u0080'), std::nullopt) << "the euro sign has 0x80, not U+0080";
    EXPECT_EQ(CodePointToCp1252(U'\u4E2D'), std::nullopt);
}

TEST(Cp1252Test, Utf8RoundTrip) {
    const std::string cp1252 = "Gro\xDF" "e \x80 \x84" "Anf\xFC" "hrung\x93";
    const std::string utf8 = "Gro\u00DFe \u20AC \u201EAnf\u00FChrung\u201C";
    EXPECT_EQ(Cp1252ToUtf8(cp1252), utf8);
    EXPECT_EQ(Utf8ToCp1252(utf8), cp1252);
}

TEST(Cp1252Test, Utf8ThatCannotBeConverted) {
    struct Case {
        const char* why;
        std::string utf8;
        const char* message;
    };
    const Case cases[] = {
        {"no 1252 byte", "a\u4E2Db", "U+4E2D"},
        {"overlong slash", "\xC0\xAF", "malformed UTF-8 at byte 1"},
        {"lone continuation", "ab\x80", "malformed UTF-8 at byte 3"},
        {"cut off at the end", "a\xC3", "malformed UTF-8 at byte 2"},
        {"surrogate", "\xED\xA0\x80", "malformed UTF-8 at byte 1"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "malformed UTF-8 at byte 1"},
        {"Latin-1 byte, not UTF-8", "Gr\xFC\xDF", "malformed UTF-8 at byte 3"},
    };
    for (const Case& c : cases) {
        try {
            Utf8ToCp1252(c.utf8);
            ADD_FAILURE() << c.why;
        } catch (const TextError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << c.why << ": " << error.what();
        }
    }
}

// Wide texts hold UTF-16 units on every platform: a character beyond
// U+FFFF is a surrogate pair.
TEST(Cp1252Test, Utf8AndWide) {
    const std::string utf8 = "\u0141ukasz \u2192 \u2116 \u03A9 \U0001F600 \u20AC";
    const std::wstring wide = L"\x0141ukasz \x2192 \x2116 \x03A9 \xD83D\xDE00 \x20AC";
    EXPECT_EQ(Utf8ToWide(utf8), wide);
    EXPECT_EQ(WideToUtf8(wide), utf8);
    EXPECT_EQ(WideToUtf8(L"a\xD83D" L"b\xDE00"), "a\uFFFD" "b\uFFFD") << "lone halves";
    EXPECT_THROW(Utf8ToWide("Gr\xFC\xDF"), TextError);
    EXPECT_EQ(Utf16LeToWide(WideToUtf16Le(wide)), wide);
}

TEST(Cp1252Test, Utf16) {
    EXPECT_EQ(Utf16LeToCp1252(std::string("G\0\xFC\0\xAC\x20", 6)), "G\xFC\x80");
    EXPECT_THROW(Utf16LeToCp1252(std::string("G\0x", 3)), TextError) << "odd length";
    EXPECT_THROW(Utf16LeToCp1252(std::string("\x3D\xD8\x00\xDE", 4)), TextError) << "outside the basic plane";
    EXPECT_THROW(Utf16LeToCp1252(std::string("\x2D\x4E", 2)), TextError) << "U+4E2D";
}

TEST(Cp1252Test, UpperCaseFoldsLettersOnly) {
    EXPECT_EQ(UpperCase("abc\xE4\xF6\xFC\xDF\xF7\xFF"), "ABC\xC4\xD6\xDC\xDF\xF7\xFF")
        << "sharp s, the division sign and y diaeresis have no upper case in the same range";
}

}  // namespace
