#pragma once
// The "$" escapes of stored macro texts: "$$" is a dollar sign, "$" with
// one or two hex digits the byte they give; an escape that does not convert
// is dropped.
#include <string>
#include <string_view>

std::string ExpandDollarEscapes(std::string text);

// The stored form of bytes, so that expanding it gives them back exactly:
// "$" doubled, control bytes and 0xFF as two-digit escapes.
std::string EscapeDollars(std::string_view bytes);
