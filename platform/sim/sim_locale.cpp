#include "platform/sim/sim_locale.h"

#include <array>
#include <cstring>

#include "platform/win_constants.h"

namespace sim {

using namespace win;

namespace {

// The locale values the system reads. Day names start with Monday, as
// LOCALE_SDAYNAME1 does on Windows.
struct LocaleData {
    const char* longDate;
    const char* shortDate;
    const char* dateSeparator;
    const char* timeSeparator;
    const char* clock;          // LOCALE_ITIME: "0" 12-hour, "1" 24-hour
    const char* hourZero;       // LOCALE_ITLZERO
    const char* markPosition;   // LOCALE_ITIMEMARKPOSN: "0" after the time, "1" before
    const char* am;
    const char* pm;
    std::array<const char*, 12> monthNames;
    std::array<const char*, 12> shortMonthNames;
    std::array<const char*, 7> dayNames;
    std::array<const char*, 7> shortDayNames;
};

// German Windows has no AM/PM strings: its clock is 24-hour.
constexpr LocaleData German{
    "dddd, d. MMMM yyyy",
    "dd.MM.yyyy",
    ".",
    ":",
    "1",
    "1",
    "0",
    "",
    "",
    {"Januar", "Februar", "M\xE4rz", "April", "Mai", "Juni", "Juli", "August", "September",
     "Oktober", "November", "Dezember"},
    {"Jan", "Feb", "M\xE4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
    {"Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"},
    {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"},
};

constexpr LocaleData US{
    "dddd, MMMM d, yyyy",
    "M/d/yyyy",
    "/",
    ":",
    "0",
    "0",
    "0",
    "AM",
    "PM",
    {"January", "February", "March", "April", "May", "June", "July", "August", "September",
     "October", "November", "December"},
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
    {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"},
    {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"},
};

const LocaleData* FindLocale(std::uint32_t locale) {
    if (locale == LocaleGerman) return &German;
    if (locale == LocaleUS) return &US;
    return nullptr;
}

// The entry of a numbered run of values (LOCALE_SMONTHNAME1 ...), or nullptr
// when type lies outside the run.
template <std::size_t N>
const char* FromRun(const std::array<const char*, N>& names, std::uint32_t first,
                    std::uint32_t type) {
    return type >= first && type - first < N ? names[type - first] : nullptr;
}

const char* FindValue(const LocaleData& data, std::uint32_t type) {
    switch (type) {
        case LOCALE_SLONGDATE: return data.longDate;
        case LOCALE_SSHORTDATE: return data.shortDate;
        case LOCALE_SDATE: return data.dateSeparator;
        case LOCALE_STIME: return data.timeSeparator;
        case LOCALE_ITIME: return data.clock;
        case LOCALE_ITLZERO: return data.hourZero;
        case LOCALE_ITIMEMARKPOSN: return data.markPosition;
        case LOCALE_S1159: return data.am;
        case LOCALE_S2359: return data.pm;
    }
    for (const char* name : {FromRun(data.monthNames, LOCALE_SMONTHNAME1, type),
                             FromRun(data.shortMonthNames, LOCALE_SABBREVMONTHNAME1, type),
                             FromRun(data.dayNames, LOCALE_SDAYNAME1, type),
                             FromRun(data.shortDayNames, LOCALE_SABBREVDAYNAME1, type)}) {
        if (name) return name;
    }
    return nullptr;
}

}  // namespace

int LocaleInfo(std::uint32_t locale, std::uint32_t type, char* buffer, int size) {
    const LocaleData* data = FindLocale(locale);
    const char* text = data ? FindValue(*data, type) : nullptr;
    if (!text || size < 0 || (size > 0 && !buffer)) return 0;
    const int needed = static_cast<int>(std::strlen(text)) + 1;
    if (size == 0) return needed;
    if (size < needed) {
        std::memcpy(buffer, text, static_cast<std::size_t>(size));
        return 0;
    }
    std::memcpy(buffer, text, static_cast<std::size_t>(needed));
    return needed;
}

}  // namespace sim
