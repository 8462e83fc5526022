// ParseNumberList on any text, against a reference built on std::from_chars,
// and on lists written from four known numbers in every spelling the parser
// accepts, which must read back as those numbers.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/number_list.h"
#include "fuzz/fuzz_check.h"

namespace {

// Fields a list leaves alone keep these.
constexpr TToneSpec Untouched{-7001, -7002, -7003, -7004};

std::int32_t ReferenceNumber(std::string_view item) {
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    std::size_t prefix = 0;
    if (item.starts_with("0x") || item.starts_with("0X")) {
        prefix = 2;
    } else if (item.starts_with('$') || item.starts_with('x') || item.starts_with('X')) {
        prefix = 1;
    }
    const char* end = item.data() + item.size();
    if (prefix > 0) {
        std::uint32_t value = 0;
        auto [ptr, error] = std::from_chars(item.data() + prefix, end, value, 16);
        bool valid = item.size() > prefix && error == std::errc{} && ptr == end;
        return valid ? static_cast<std::int32_t>(value) : 0;
    }
    // from_chars takes a minus sign but no plus sign; after a plus sign a
    // digit must follow, or "+-1" would pass.
    if (item.starts_with('+')) {
        item.remove_prefix(1);
        if (item.empty() || item.front() < '0' || item.front() > '9') return 0;
    }
    std::int32_t value = 0;
    auto [ptr, error] = std::from_chars(item.data(), item.data() + item.size(), value, 10);
    return error == std::errc{} && ptr == item.data() + item.size() && !item.empty() ? value : 0;
}

// Items end at commas; a comma at the very end ends the list.
TToneSpec ReferenceParse(std::string_view text) {
    std::vector<std::string_view> items;
    std::size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            if (start < text.size()) items.push_back(text.substr(start));
            break;
        }
        items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    TToneSpec spec = Untouched;
    std::int32_t* fields[] = {&spec.Frequency, &spec.Duration, &spec.Count, &spec.Pause};
    for (std::size_t i = 0; i < items.size() && i < 4; ++i) *fields[i] = ReferenceNumber(items[i]);
    return spec;
}

// One number in a spelling chosen by the style byte: decimal with or without
// a plus sign, or hexadecimal after each prefix, in either case, with
// leading blanks.
std::string Spell(std::int32_t value, std::uint8_t style) {
    std::string text(style & 0x03, ' ');
    static const char* const prefixes[] = {"$", "x", "X", "0x", "0X"};
    char digits[16];
    std::uint8_t form = (style >> 2) % 7;
    if (form == 0 || (form == 1 && value < 0)) {
        std::snprintf(digits, sizeof digits, "%d", value);
    } else if (form == 1) {
        std::snprintf(digits, sizeof digits, "+%d", value);
    } else {
        bool upper = style & 0x80;
        std::snprintf(digits, sizeof digits, upper ? "%s%X" : "%s%x", prefixes[form - 2],
                      static_cast<unsigned>(static_cast<std::uint32_t>(value)));
    }
    return text + digits;
}

void CheckRoundTrip(FuzzReader& input) {
    std::uint8_t shape = input.Byte();
    std::size_t count = 1 + shape % 6;  // items five and six are ignored
    std::int32_t values[6];
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t bits = 0;
        for (int b = 0; b < 4; ++b) bits = (bits << 8) | input.Byte();
        values[i] = static_cast<std::int32_t>(bits);
        if (i > 0) text += ',';
        text += Spell(values[i], input.Byte());
    }
    if (shape & 0x80) text += ',';
    TToneSpec spec = Untouched;
    ParseNumberList(text, spec);
    TToneSpec expected = Untouched;
    std::int32_t* fields[] = {&expected.Frequency, &expected.Duration, &expected.Count,
                              &expected.Pause};
    for (std::size_t i = 0; i < count && i < 4; ++i) *fields[i] = values[i];
    FUZZ_CHECK(spec == expected, "a written list reads back as its numbers");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TToneSpec spec = Untouched;
    ParseNumberList(text, spec);
    FUZZ_CHECK(spec == ReferenceParse(text), "the parser matches the reference");

    FuzzReader input(data, size);
    CheckRoundTrip(input);
    return 0;
}
