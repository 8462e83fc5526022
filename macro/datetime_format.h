#pragma once
// Date and time formatting for the macro commands that type the date or the
// time: the regional formats of the thread's locale, read once per process,
// and FormatTimestamp, which fills a format text with a moment.
#include <array>
#include <string>

#include "platform/platform.h"
#include "platform/win_types.h"

struct TRegionalFormats {
    std::string RegionalLongDate;
    std::string RegionalShortDate;
    std::string RegionalLongTime;
    std::string RegionalShortTime;
    std::string DateSeparator;
    std::string TimeSeparator;
    std::string TimeAMString;
    std::string TimePMString;
    std::array<std::string, 12> ShortMonthNames;   // January first
    std::array<std::string, 12> LongMonthNames;
    std::array<std::string, 7> ShortDayNames;      // Sunday first, as SYSTEMTIME counts
    std::array<std::string, 7> LongDayNames;
};

// Reads the formats of the thread's locale; a value the locale does not give
// takes its built-in default (German names for months and days).
TRegionalFormats ReadRegionalFormats(win::SystemApi& system);

// The text of format filled with moment, at most 256 characters. Any byte
// string is a valid format; an empty one stands for "c".
std::string FormatTimestamp(const TRegionalFormats& regional, const std::string& format,
                            const win::SystemTime& moment);
