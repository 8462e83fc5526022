#include "tools/zolvik_sim/moment.h"

#include <optional>
#include <string>

#include "tools/zolvik_sim/tool_error.h"

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

// 0 for Sunday, as SYSTEMTIME counts (Zeller's congruence, Gregorian).
int DayOfWeek(int year, int month, int day) {
    if (month < 3) {
        month += 12;
        --year;
    }
    int k = year % 100;
    int j = year / 100;
    int saturdayFirst = (day + 13 * (month + 1) / 5 + k + k / 4 + j / 4 + 5 * j) % 7;
    return (saturdayFirst + 6) % 7;
}

// Reads `digits` decimal digits at pos, after the separator when one is
// given; false when the text does not have them.
bool Field(std::string_view text, std::size_t& pos, char separator, std::size_t digits, int& value) {
    if (separator != '\0') {
        if (pos >= text.size() || text[pos] != separator) return false;
        ++pos;
    }
    if (pos + digits > text.size()) return false;
    value = 0;
    for (std::size_t i = 0; i < digits; ++i, ++pos) {
        char c = text[pos];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

std::optional<win::SystemTime> ParseFields(std::string_view text) {
    std::size_t pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
    bool read = Field(text, pos, '\0', 4, year) && Field(text, pos, '-', 2, month) &&
                Field(text, pos, '-', 2, day);
    if (read && pos < text.size()) read = Field(text, pos, 'T', 2, hour) && Field(text, pos, ':', 2, minute);
    if (read && pos < text.size()) read = Field(text, pos, ':', 2, second);
    if (read && pos < text.size()) read = Field(text, pos, '.', 3, milliseconds);
    bool valid = read && pos == text.size() && year >= 1601 && month >= 1 && month <= 12 &&
                 day >= 1 && day <= DaysInMonth(year, month) && hour < 24 && minute < 60 && second < 60;
    if (!valid) return std::nullopt;
    auto word = [](int value) { return static_cast<std::uint16_t>(value); };
    return win::SystemTime{word(year),   word(month),  word(DayOfWeek(year, month, day)),
                           word(day),    word(hour),   word(minute),
                           word(second), word(milliseconds)};
}

}  // namespace

win::SystemTime ParseMoment(std::string_view text) {
    std::optional<win::SystemTime> moment = ParseFields(text);
    if (!moment) {
        throw ToolError("--at needs a moment YYYY-MM-DDTHH:MM:SS.mmm that exists (from 1601 on), not '" +
                        std::string(text) + "'");
    }
    return *moment;
}
