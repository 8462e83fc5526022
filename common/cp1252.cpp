#include "common/cp1252.h"

#include <array>

namespace {

// 0x80 to 0x9F; the rest of 1252 is Latin-1.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char32_t Cp1252ToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return HighControls[byte - 0x80];
    return byte;
}

std::optional<char> CodePointToCp1252(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return static_cast<char>(codePoint);
    }
    for (std::size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == codePoint) return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

std::wstring Cp1252ToWide(std::string_view text) {
    std::wstring wide;
    for (char c : text) wide += static_cast<wchar_t>(Cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return wide;
}

std::string WideToCp1252(std::wstring_view text) {
    std::string bytes;
    for (wchar_t c : text) bytes += CodePointToCp1252(static_cast<char32_t>(c)).value_or('?');
    return bytes;
}

std::size_t CharacterLength(std::wstring_view text, std::size_t i) {
    bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF;
    bool pair = high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    return pair ? 2 : 1;
}

char32_t CodePointAt(std::wstring_view text, std::size_t i) {
    auto unit = static_cast<char32_t>(text[i]) & 0xFFFF;
    if (CharacterLength(text, i) == 1) return unit;
    return 0x10000 + ((unit - 0xD800) << 10) + ((static_cast<char32_t>(text[i + 1]) & 0xFFFF) - 0xDC00);
}

std::wstring CharactersOutsideCp1252(std::wstring_view text) {
    std::wstring outside;
    for (std::size_t i = 0, length = 0; i < text.size(); i += length) {
        length = CharacterLength(text, i);
        std::wstring_view character = text.substr(i, length);
        if (length == 1 && CodePointToCp1252(static_cast<char32_t>(character[0]))) continue;
        if (outside.find(character) == std::wstring::npos) outside += character;
    }
    return outside;
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)) {
            c = static_cast<char>(byte - 0x20);
        }
    }
    return upper;
}
