#include "macro/datetime_format.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <string_view>

#include "platform/win_constants.h"

using namespace win;

namespace {

// ---------------------------------------------------------------------------
// Reading the regional formats

constexpr std::array<const char*, 12> GermanMonthNames{
    "Januar", "Februar", "M\xE4rz", "April", "Mai", "Juni", "Juli", "August", "September",
    "Oktober", "November", "Dezember"};
constexpr std::array<const char*, 12> GermanShortMonthNames{
    "Jan", "Feb", "M\xE4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
constexpr std::array<const char*, 7> GermanDayNames{
    "Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
constexpr std::array<const char*, 7> GermanShortDayNames{"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};

// A value of the locale, or fallback when the locale gives none. An empty
// value is a value: German Windows gives empty AM and PM strings.
std::string LocaleString(SystemApi& system, std::uint32_t locale, std::uint32_t type,
                         const char* fallback) {
    char buffer[256];
    const int length = system.GetLocaleInfoA(locale, type, buffer, sizeof buffer);
    if (length <= 0) return fallback;
    // The count includes the NUL.
    const int textLength = std::min<int>(length, sizeof buffer) - 1;
    return std::string(buffer, static_cast<std::size_t>(textLength));
}

// A numeric value of the locale, 0 when it is missing or not a decimal number.
int LocaleNumber(SystemApi& system, std::uint32_t locale, std::uint32_t type) {
    const std::string text = LocaleString(system, locale, type, "");
    const char* end = text.data() + text.size();
    int value = 0;
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc{} && result.ptr == end ? value : 0;
}

// The hour with or without leading zero, then the rest, with the AM/PM form
// before or after it on a 12-hour clock (LOCALE_ITIME 0).
std::string TimeFormat(int clock, int hourZero, int markPosition, const char* rest) {
    const std::string format = (hourZero != 0 ? "hh" : "h") + std::string(rest);
    if (clock != 0) return format;
    return markPosition != 0 ? "AMPM " + format : format + " AMPM";
}

void ReadMonthNames(SystemApi& system, std::uint32_t locale, TRegionalFormats& regional) {
    for (std::uint32_t month = 0; month < 12; ++month) {
        regional.LongMonthNames[month] =
            LocaleString(system, locale, LOCALE_SMONTHNAME1 + month, GermanMonthNames[month]);
        regional.ShortMonthNames[month] = LocaleString(
            system, locale, LOCALE_SABBREVMONTHNAME1 + month, GermanShortMonthNames[month]);
    }
}

// Windows numbers the day names from Monday, SYSTEMTIME from Sunday.
void ReadDayNames(SystemApi& system, std::uint32_t locale, TRegionalFormats& regional) {
    for (std::uint32_t day = 0; day < 7; ++day) {
        const std::uint32_t fromMonday = (day + 6) % 7;
        regional.LongDayNames[day] =
            LocaleString(system, locale, LOCALE_SDAYNAME1 + fromMonday, GermanDayNames[day]);
        regional.ShortDayNames[day] = LocaleString(
            system, locale, LOCALE_SABBREVDAYNAME1 + fromMonday, GermanShortDayNames[day]);
    }
}

// ---------------------------------------------------------------------------
// Formatting

constexpr std::size_t MaxLength = 256;

// Only ASCII letters are forms; other bytes of code page 1252 are text.
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsAsciiLetter(char c) { return c >= 'A' && c <= 'Z'; }

// prefix is written in capitals.
bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char wanted, char c) { return AsciiUpper(c) == wanted; });
}

bool IsAmPmForm(std::string_view text) {
    return StartsWithNoCase(text, "AM/PM") || StartsWithNoCase(text, "A/P") ||
           StartsWithNoCase(text, "AMPM");
}

std::string ZeroPadded(unsigned value, int digits) {
    std::string text = std::to_string(value);
    if (text.size() < static_cast<std::size_t>(digits)) {
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    }
    return text;
}

// Sunday 0 ... Saturday 6, from the date itself, as Windows' own date
// formatting does, so a moment put together by hand cannot show a wrong name.
unsigned DayOfWeek(const SystemTime& moment) {
    using namespace std::chrono;
    const year_month_day date{year{moment.year}, month{moment.month}, day{moment.day}};
    return weekday{sys_days{date}}.c_encoding();
}

// The text being built, cut at MaxLength, and how deep regional formats are
// expanded: the format given is the first level, a regional format expanded
// in it the second, and a second level expands nothing.
class TimestampText {
public:
    TimestampText(const TRegionalFormats& regional, const SystemTime& moment)
        : regional_(regional), moment_(moment) {}

    const TRegionalFormats& Regional() const { return regional_; }
    const SystemTime& Moment() const { return moment_; }
    void Append(std::string_view part) { text_.append(part.substr(0, MaxLength - text_.size())); }
    bool Full() const { return text_.size() >= MaxLength; }
    bool CanExpand() const { return depth_ < 2; }
    void Expand(std::string_view format);
    std::string Take() { return std::move(text_); }

private:
    const TRegionalFormats& regional_;
    const SystemTime& moment_;
    std::string text_;
    int depth_ = 0;
};

// One level of a format, read from left to right.
class FormatLevel {
public:
    FormatLevel(TimestampText& text, std::string_view format) : text_(text), format_(format) {}

    void Run() {
        while (pos_ < format_.size() && !text_.Full()) {
            const char starter = format_[pos_++];
            char form = AsciiUpper(starter);
            if (IsAsciiLetter(form)) {
                // "m" or "mm" after an hour form, with no other letter form
                // between, is minutes; a longer run is still a month name.
                if (form == 'M' && lastLetter_ == 'H' && RunAhead(starter) <= 2) form = 'N';
                lastLetter_ = form;
            }
            Write(starter, form);
        }
    }

private:
    TimestampText& text_;
    std::string_view format_;
    std::size_t pos_ = 0;
    char lastLetter_ = 0;
    bool twelveHourClock_ = false;   // an AM/PM form has been output at this level

    const TRegionalFormats& Regional() const { return text_.Regional(); }
    const SystemTime& Moment() const { return text_.Moment(); }

    void Write(char starter, char form) {
        switch (form) {
            case 'Y': Year(RunLength(starter)); break;
            case 'M': Month(RunLength(starter)); break;
            case 'D': Day(RunLength(starter)); break;
            case 'H': Hour(RunLength(starter)); break;
            case 'N': Number(Moment().minute, std::min(RunLength(starter), 2)); break;
            case 'S': Number(Moment().second, std::min(RunLength(starter), 2)); break;
            case 'Z': Number(Moment().milliseconds, std::min(RunLength(starter), 3)); break;
            case 'T': Time(RunLength(starter)); break;
            case 'C':
                RunLength(starter);
                DateAndTime();
                break;
            // Eras exist only in calendars such as the Japanese one; the system
            // reads no calendar information, and the locales it is made for
            // have none, so era forms output nothing.
            case 'G':
            case 'E': RunLength(starter); break;
            case 'A': AmPmOrDayName(); break;
            case '/': text_.Append(Regional().DateSeparator); break;
            case ':': text_.Append(Regional().TimeSeparator); break;
            case '\'':
            case '"': Quoted(starter); break;
            default: text_.Append(std::string_view(&starter, 1)); break;
        }
    }

    // The length of the run of starter that begins just before pos_, without
    // consuming it.
    int RunAhead(char starter) const {
        std::size_t end = pos_;
        while (end < format_.size() && format_[end] == starter) ++end;
        return static_cast<int>(end - pos_) + 1;
    }

    // Consumes the rest of a run of starter, written in the same case.
    int RunLength(char starter) {
        int count = 1;
        for (; pos_ < format_.size() && format_[pos_] == starter; ++pos_) ++count;
        return count;
    }

    void Number(unsigned value, int digits) { text_.Append(ZeroPadded(value, digits)); }

    void Year(int count) {
        if (count <= 2) {
            Number(Moment().year % 100u, 2);
        } else {
            Number(Moment().year, 4);
        }
    }

    void Month(int count) {
        if (count <= 2) {
            Number(Moment().month, count);
        } else if (count == 3) {
            text_.Append(MonthName(Regional().ShortMonthNames));
        } else {
            text_.Append(MonthName(Regional().LongMonthNames));
        }
    }

    void Day(int count) {
        switch (count) {
            case 1:
            case 2: Number(Moment().day, count); break;
            case 3: text_.Append(Regional().ShortDayNames[DayOfWeek(Moment())]); break;
            case 4: text_.Append(Regional().LongDayNames[DayOfWeek(Moment())]); break;
            case 5: text_.Expand(Regional().RegionalShortDate); break;
            default: text_.Expand(Regional().RegionalLongDate); break;
        }
    }

    void Hour(int count) {
        unsigned hour = Moment().hour;
        if (twelveHourClock_ || AmPmFormFollows()) hour = hour % 12 == 0 ? 12 : hour % 12;
        Number(hour, std::min(count, 2));
    }

    void Time(int count) {
        text_.Expand(count == 1 ? Regional().RegionalShortTime : Regional().RegionalLongTime);
    }

    // "c": the short date, and the long time unless it is midnight to the second.
    void DateAndTime() {
        if (!text_.CanExpand()) return;
        text_.Expand(Regional().RegionalShortDate);
        if (Moment().hour != 0 || Moment().minute != 0 || Moment().second != 0) {
            text_.Append(" ");
            text_.Expand(Regional().RegionalLongTime);
        }
    }

    // Whether an AM/PM form follows the hour form just read, before the next
    // hour letter (even a quoted one) or the next unquoted letter a.
    bool AmPmFormFollows() const {
        char quote = 0;
        for (std::size_t i = pos_; i < format_.size(); ++i) {
            const char c = format_[i];
            if (c == 'h' || c == 'H') return false;
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '\'' || c == '"') {
                quote = c;
            } else if (c == 'a' || c == 'A') {
                return IsAmPmForm(format_.substr(i));
            }
        }
        return false;
    }

    // The forms that start with a: AM/PM markers in the case written, the
    // regional AM/PM string, day names (a run of three or four of the same a,
    // in the same case); otherwise the letter itself.
    void AmPmOrDayName() {
        const std::string_view form = format_.substr(pos_ - 1);
        const bool afternoon = Moment().hour >= 12;
        if (StartsWithNoCase(form, "AM/PM")) {
            Marker(form.substr(afternoon ? 3 : 0, 2), 5);
        } else if (StartsWithNoCase(form, "A/P")) {
            Marker(form.substr(afternoon ? 2 : 0, 1), 3);
        } else if (StartsWithNoCase(form, "AMPM")) {
            Marker(afternoon ? Regional().TimePMString : Regional().TimeAMString, 4);
        } else if (RunAhead(form[0]) >= 4) {
            text_.Append(Regional().LongDayNames[DayOfWeek(Moment())]);
            pos_ += 3;
        } else if (RunAhead(form[0]) == 3) {
            text_.Append(Regional().ShortDayNames[DayOfWeek(Moment())]);
            pos_ += 2;
        } else {
            text_.Append(form.substr(0, 1));
        }
    }

    void Marker(std::string_view marker, std::size_t formLength) {
        text_.Append(marker);
        pos_ += formLength - 1;
        twelveHourClock_ = true;
    }

    // Text up to the same quote, or to the end when it is not closed.
    void Quoted(char quote) {
        const std::size_t close = std::min(format_.find(quote, pos_), format_.size());
        text_.Append(format_.substr(pos_, close - pos_));
        pos_ = std::min(close + 1, format_.size());
    }

    std::string_view MonthName(const std::array<std::string, 12>& names) const {
        const unsigned month = Moment().month;
        return month >= 1 && month <= 12 ? std::string_view(names[month - 1]) : std::string_view();
    }
};

void TimestampText::Expand(std::string_view format) {
    if (!CanExpand()) return;
    ++depth_;
    FormatLevel(*this, format).Run();
    --depth_;
}

}  // namespace

TRegionalFormats ReadRegionalFormats(SystemApi& system) {
    const std::uint32_t locale = system.GetThreadLocale();
    TRegionalFormats regional;
    regional.RegionalLongDate = LocaleString(system, locale, LOCALE_SLONGDATE, "mmmm d, yyyy");
    regional.RegionalShortDate = LocaleString(system, locale, LOCALE_SSHORTDATE, "m/d/yy");
    const int clock = LocaleNumber(system, locale, LOCALE_ITIME);
    const int hourZero = LocaleNumber(system, locale, LOCALE_ITLZERO);
    const int markPosition = LocaleNumber(system, locale, LOCALE_ITIMEMARKPOSN);
    regional.RegionalLongTime = TimeFormat(clock, hourZero, markPosition, ":mm:ss");
    regional.RegionalShortTime = TimeFormat(clock, hourZero, markPosition, ":mm");
    regional.DateSeparator = LocaleString(system, locale, LOCALE_SDATE, "/");
    regional.TimeSeparator = LocaleString(system, locale, LOCALE_STIME, ":");
    regional.TimeAMString = LocaleString(system, locale, LOCALE_S1159, "am");
    regional.TimePMString = LocaleString(system, locale, LOCALE_S2359, "pm");
    ReadMonthNames(system, locale, regional);
    ReadDayNames(system, locale, regional);
    return regional;
}

std::string FormatTimestamp(const TRegionalFormats& regional, const std::string& format,
                            const SystemTime& moment) {
    TimestampText text(regional, moment);
    text.Expand(format.empty() ? std::string_view("c") : std::string_view(format));
    return text.Take();
}
