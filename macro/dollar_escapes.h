#pragma once
// The "$" escapes of stored macro texts: "$$" is a dollar sign, "$" with
// one or two hex digits the code page 1252 character of the byte they give
// ("$80" is the euro sign); an escape that does not convert is dropped.
#include <string>
#include <string_view>

std::wstring ExpandDollarEscapes(std::wstring text);
// The same for a code page 1252 text.
std::string ExpandDollarEscapes(const std::string& text);

// The stored form of a text, so that expanding it gives it back exactly:
// "$" doubled, control characters and "ÿ" (0xFF) as two-digit escapes.
std::wstring EscapeDollars(std::wstring_view text);
