#include "common/cp1252.h"

#include "common/number_text.h"

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char ToCp1252OrThrow(char32_t c) {
    std::optional<char> byte = CodePointToCp1252(c);
    if (!byte) throw TextError("character " + DescribeCodePoint(c) + " has no code page 1252 byte");
    return *byte;
}

// The length of a UTF-8 sequence from its lead byte, 0 for a byte that
// cannot lead one.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Decodes the sequence at i and moves i past it. Overlong forms, surrogates
// and values above U+10FFFF are malformed.
char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
    auto lead = static_cast<unsigned char>(text[i]);
    int length = SequenceLength(lead);
    if (length == 0 || i + length > text.size()) {
        throw TextError("malformed UTF-8 at byte " + std::to_string(i + 1));
    }
    constexpr char32_t LeadMasks[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    constexpr char32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t c = lead & LeadMasks[length];
    for (int k = 1; k < length; ++k) {
        auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) throw TextError("malformed UTF-8 at byte " + std::to_string(i + 1));
        c = (c << 6) | (next & 0x3F);
    }
    if (c < Smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        throw TextError("malformed UTF-8 at byte " + std::to_string(i + 1));
    }
    i += length;
    return c;
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    for (char c : text) AppendUtf8(out, Cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToCp1252(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) out += ToCp1252OrThrow(DecodeUtf8(text, i));
    return out;
}

std::string Utf16LeToCp1252(std::string_view bytes) {
    if (bytes.size() % 2 != 0) throw TextError("UTF-16 data of an odd number of bytes");
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        char32_t unit = static_cast<unsigned char>(bytes[i]) |
                        (static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            // Everything outside the basic plane is outside 1252 as well.
            throw TextError("a character outside the basic plane has no code page 1252 byte");
        }
        out += ToCp1252OrThrow(unit);
    }
    return out;
}

std::wstring Utf16LeToWide(std::string_view bytes) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return text;
}

std::string WideToUtf16Le(std::wstring_view text) {
    std::string bytes;
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

std::wstring Utf8ToWide(std::string_view text) {
    std::wstring wide;
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = DecodeUtf8(text, i);
        if (c < 0x10000) {
            wide += static_cast<wchar_t>(c);
        } else {
            wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return wide;
}

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = CodePointAt(text, i);
        i += CharacterLength(text, i) - 1;
        AppendUtf8(out, c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c);
    }
    return out;
}

std::string DescribeCodePoint(char32_t codePoint) {
    std::string text = "U+" + HexDigits(static_cast<std::uint32_t>(codePoint), 4);
    bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint >= 0x20 && codePoint != 0x7F && !(codePoint >= 0x80 && codePoint < 0xA0) && !surrogate) {
        text += " '";
        AppendUtf8(text, codePoint);
        text += "'";
    }
    return text;
}

