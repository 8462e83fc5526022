#include "common/number_list.h"

#include <optional>

namespace {

constexpr std::uint64_t MaxDecimal = 0x7FFFFFFF;
constexpr std::uint64_t MaxNegativeDecimal = 0x80000000;
constexpr std::uint64_t MaxHexadecimal = 0xFFFFFFFF;

int DigitValue(char character) {
    if (character >= '0' && character <= '9') return character - '0';
    if (character >= 'a' && character <= 'f') return character - 'a' + 10;
    if (character >= 'A' && character <= 'F') return character - 'A' + 10;
    return -1;
}

// The value of a run of digits, or nothing when the run is empty, holds
// anything but digits of the base, or exceeds the limit.
std::optional<std::uint64_t> DigitsValue(std::string_view digits, int base, std::uint64_t limit) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char character : digits) {
        int digit = DigitValue(character);
        if (digit < 0 || digit >= base) return std::nullopt;
        value = value * base + digit;
        if (value > limit) return std::nullopt;
    }
    return value;
}

// The length of a hexadecimal prefix at the start of the item; 0 for none.
std::size_t HexPrefixLength(std::string_view item) {
    if (item.starts_with("0x") || item.starts_with("0X")) return 2;
    if (item.starts_with('$') || item.starts_with('x') || item.starts_with('X')) return 1;
    return 0;
}

// Hexadecimal numbers take all 32 bits, so $FFFFFFFF is -1.
std::int32_t HexadecimalValue(std::string_view digits) {
    auto value = DigitsValue(digits, 16, MaxHexadecimal);
    return value ? static_cast<std::int32_t>(static_cast<std::uint32_t>(*value)) : 0;
}

std::int32_t DecimalValue(std::string_view item) {
    bool negative = item.starts_with('-');
    if (negative || item.starts_with('+')) item.remove_prefix(1);
    auto value = DigitsValue(item, 10, negative ? MaxNegativeDecimal : MaxDecimal);
    if (!value) return 0;
    auto magnitude = static_cast<std::int64_t>(*value);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::int32_t NumberValue(std::string_view item) {
    std::size_t first = item.find_first_not_of(' ');
    if (first == std::string_view::npos) return 0;
    item.remove_prefix(first);
    std::size_t prefix = HexPrefixLength(item);
    return prefix > 0 ? HexadecimalValue(item.substr(prefix)) : DecimalValue(item);
}

}  // namespace

void ParseNumberList(std::string_view text, TToneSpec& spec) {
    std::int32_t* const fields[] = {&spec.Frequency, &spec.Duration, &spec.Count, &spec.Pause};
    std::size_t finished = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size() && finished < std::size(fields); ++i) {
        bool comma = text[i] == ',';
        if (!comma && i + 1 < text.size()) continue;
        std::size_t end = comma ? i : i + 1;
        *fields[finished++] = NumberValue(text.substr(start, end - start));
        start = i + 1;
    }
}
