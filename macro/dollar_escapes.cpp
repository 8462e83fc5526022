#include "macro/dollar_escapes.h"

#include "common/cp1252.h"
#include "common/number_text.h"

namespace {

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

// "$" followed by one or two hex digits and nothing else.
int ConvertEscape(const std::wstring& escape) {
    if (escape.size() < 2) return -1;
    int value = 0;
    for (std::size_t i = 1; i < escape.size(); ++i) {
        int digit = HexDigit(escape[i]);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

// Positions are 0-based here; the text's length is taken afresh at every
// step since replacing escapes shrinks it. The last character never starts
// an escape. An escape's two digits are two characters, whatever they are:
// the halves of a surrogate pair go together.
std::wstring ExpandDollarEscapes(std::wstring text) {
    std::size_t i = 0;
    while (i + 1 < text.size()) {
        if (text[i] != L'$') {
            ++i;
        } else if (text[i + 1] == L'$') {
            text.erase(i, 1);
            ++i;
        } else {
            std::size_t end = i + 1;
            for (int digit = 0; digit < 2 && end < text.size(); ++digit) end += CharacterLength(text, end);
            std::wstring escape = text.substr(i, end - i);
            text.erase(i, escape.size());
            int value = ConvertEscape(escape);
            if (value >= 0) {
                text.insert(i, 1, static_cast<wchar_t>(Cp1252ToCodePoint(static_cast<unsigned char>(value))));
                ++i;
            }
        }
    }
    return text;
}

// Every byte has its character and back.
std::string ExpandDollarEscapes(const std::string& text) {
    return WideToCp1252(ExpandDollarEscapes(Cp1252ToWide(text)));
}

// Two digits always: a single one works only at the very end of a text.
std::wstring EscapeDollars(std::wstring_view text) {
    std::wstring stored;
    for (wchar_t c : text) {
        if (c == L'$') {
            stored += L"$$";
        } else if (static_cast<std::uint32_t>(c) < 0x20 || c == 0xFF) {
            stored += Cp1252ToWide("$" + HexDigits(static_cast<std::uint32_t>(c), 2));
        } else {
            stored += c;
        }
    }
    return stored;
}
