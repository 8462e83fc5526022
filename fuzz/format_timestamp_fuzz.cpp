// FormatTimestamp with any format, in the German and the US locale and in
// one that gives no values (the built-in defaults), at any moment
// GetLocalTime can give. Input: one byte for the locale, a literal text up
// to a NUL byte, the moment (11 bytes), then the format.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "macro/datetime_format.h"
#include "platform/sim/sim_locale.h"
#include "platform/sim/sim_system.h"

namespace {

constexpr std::size_t MaxLength = 256;

TRegionalFormats RegionalOf(std::uint32_t locale) {
    sim::SimSystem system;
    system.SetThreadLocale(locale);
    return ReadRegionalFormats(system);
}

const TRegionalFormats& Regional(std::uint8_t choice) {
    static const TRegionalFormats formats[] = {
        RegionalOf(sim::LocaleGerman), RegionalOf(sim::LocaleUS), RegionalOf(0x0411)};
    return formats[choice % 3];
}

unsigned Ranged(FuzzReader& input, unsigned low, unsigned high) {
    unsigned value = input.Byte();
    value = (value << 8) | input.Byte();
    return low + value % (high - low + 1);
}

// A valid local time between 1601 and 30827, as SYSTEMTIME allows.
win::SystemTime Moment(FuzzReader& input) {
    using namespace std::chrono;
    win::SystemTime moment{};
    moment.year = static_cast<std::uint16_t>(Ranged(input, 1601, 30827));
    moment.month = static_cast<std::uint16_t>(1 + input.Byte() % 12);
    const year_month_day_last last{year{moment.year}, month_day_last{month{moment.month}}};
    moment.day = static_cast<std::uint16_t>(1 + input.Byte() % static_cast<unsigned>(last.day()));
    moment.dayOfWeek = static_cast<std::uint16_t>(
        weekday{sys_days{year_month_day{year{moment.year}, month{moment.month}, day{moment.day}}}}
            .c_encoding());
    moment.hour = static_cast<std::uint16_t>(input.Byte() % 24);
    moment.minute = static_cast<std::uint16_t>(input.Byte() % 60);
    moment.second = static_cast<std::uint16_t>(input.Byte() % 60);
    moment.milliseconds = static_cast<std::uint16_t>(Ranged(input, 0, 999));
    return moment;
}

bool IsPlainCharacter(char c) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return !letter && c != '\'' && c != '"' && c != '/' && c != ':';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader input(data, size);
    const TRegionalFormats& regional = Regional(input.Byte());
    std::string literal;
    for (char c = static_cast<char>(input.Byte()); c != '\0'; c = static_cast<char>(input.Byte())) {
        literal += c;
    }
    const win::SystemTime moment = Moment(input);
    const std::string format = input.Rest();

    const std::string text = FormatTimestamp(regional, format, moment);
    FUZZ_CHECK(text.size() <= MaxLength, "a formatted text holds at most 256 characters");
    FUZZ_CHECK(text == FormatTimestamp(regional, format, moment), "formatting is repeatable");

    bool plain = true;
    for (char c : format) plain = plain && IsPlainCharacter(c);
    if (plain && !format.empty()) {
        FUZZ_CHECK(text == format.substr(0, MaxLength), "characters that are no form stand for themselves");
    }

    // Quoted text before a format comes out as it is, and changes nothing
    // in how the format after it reads.
    const char quote = literal.find('"') == std::string::npos ? '"' : '\'';
    if (!format.empty() && literal.find(quote) == std::string::npos) {
        const std::string quoted = quote + literal + quote + format;
        const std::string expected = (literal + text).substr(0, MaxLength);
        FUZZ_CHECK(FormatTimestamp(regional, quoted, moment) == expected,
                   "a quoted prefix is copied and leaves the rest unchanged");
    }
    return 0;
}
