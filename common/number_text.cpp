#include "common/number_text.h"

namespace {

std::string Digits(std::uint32_t value, int width, std::uint32_t base, const char* digits) {
    std::string text;
    do {
        text.insert(text.begin(), digits[value % base]);
        value /= base;
    } while (value != 0);
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    return text;
}

}  // namespace

std::string HexDigits(std::uint32_t value, int width, bool upperCase) {
    return Digits(value, width, 16, upperCase ? "0123456789ABCDEF" : "0123456789abcdef");
}

std::string DecimalDigits(std::uint32_t value, int width) { return Digits(value, width, 10, "0123456789"); }
