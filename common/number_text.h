#pragma once
// Numbers as text without the C library's formatted output, which would add
// its whole printf machinery to every program file.
#include <cstdint>
#include <string>

// At least `width` digits, with leading zeros: "00080045", "0a".
std::string HexDigits(std::uint32_t value, int width, bool upperCase = true);
// At least `width` digits, with leading zeros: "2026", "07".
std::string DecimalDigits(std::uint32_t value, int width);
