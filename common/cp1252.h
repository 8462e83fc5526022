#pragma once
// Code page 1252, the ANSI code page of German and US Windows, and Unicode.
// The system stores and types 1252 bytes; the terminal, version 5 registry
// files and the configuration program's text fields speak Unicode, so the
// programs convert at their edges. Every byte has its character and back,
// so a 1252 text survives the way through wide characters unchanged.
#include <optional>
#include <string>
#include <string_view>

#include "common/message_error.h"

// A text that cannot be converted: malformed UTF-8 or UTF-16, or a character
// that code page 1252 does not have.
class TextError : public TMessageError {
public:
    using TMessageError::TMessageError;
};

// Windows maps the five bytes that 1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) to the C1 controls of the same number, both ways.
char32_t Cp1252ToCodePoint(unsigned char byte);
std::optional<char> CodePointToCp1252(char32_t codePoint);

std::string Cp1252ToUtf8(std::string_view text);
std::wstring Cp1252ToWide(std::string_view text);
// A character without a 1252 byte becomes "?", as Windows' own conversion
// does; CharactersOutsideCp1252 tells beforehand which those are.
std::string WideToCp1252(std::wstring_view text);
// Each character of the text that code page 1252 does not have, once, in
// the order of their first appearance (a surrogate pair as one).
std::wstring CharactersOutsideCp1252(std::wstring_view text);
// Throws TextError.
std::string Utf8ToCp1252(std::string_view text);

// UTF-16LE bytes to code page 1252. Throws TextError.
std::string Utf16LeToCp1252(std::string_view bytes);

// A wide text holds UTF-16 units, one to each element, on every platform:
// a character beyond U+FFFF is the two halves of its surrogate pair, as the
// wide Windows calls have it. A last odd byte is dropped.
std::wstring Utf16LeToWide(std::string_view bytes);
// The units of the character at text[i]: 2 for a surrogate pair, else 1.
std::size_t CharacterLength(std::wstring_view text, std::size_t i);
// The character at text[i], a surrogate pair put together; a lone half as
// itself.
char32_t CodePointAt(std::wstring_view text, std::size_t i);
std::string WideToUtf16Le(std::wstring_view text);
// Throws TextError for malformed UTF-8.
std::wstring Utf8ToWide(std::string_view text);
// A lone half of a surrogate pair becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// Upper case of the letters of code page 1252, as the registry and the key
// names compare them.
std::string UpperCase(std::string_view text);

// "U+00E9 'é'" for messages, the character itself in UTF-8.
std::string DescribeCodePoint(char32_t codePoint);
