// Date and time formatting over the simulated German and US locales: the
// regional formats as read from a locale, and FormatTimestamp's forms and
// the places where its rules meet.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "macro/datetime_format.h"
#include "platform/sim/sim_locale.h"
#include "platform/sim/sim_system.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

TRegionalFormats RegionalOf(std::uint32_t locale) {
    sim::SimSystem system;
    system.SetThreadLocale(locale);
    return ReadRegionalFormats(system);
}

const TRegionalFormats German = RegionalOf(sim::LocaleGerman);
const TRegionalFormats US = RegionalOf(sim::LocaleUS);

// dayOfWeek is left 0 (Sunday) on purpose: day names must come from the date.
SystemTime At(int year, int month, int day, int hour, int minute, int second = 0,
              int milliseconds = 0) {
    auto word = [](int value) { return static_cast<std::uint16_t>(value); };
    return {word(year), word(month), 0, word(day), word(hour), word(minute), word(second),
            word(milliseconds)};
}

const SystemTime Monday = At(2026, 12, 7, 14, 5, 9, 4);   // Montag, 7. Dezember 2026
const SystemTime Friday = At(2027, 3, 5, 9, 8, 7, 6);     // Freitag, 5. M\xE4rz 2027

struct Row {
    std::string format;
    SystemTime moment;
    std::string expected;
    const char* why;
};

void ExpectFormats(const TRegionalFormats& regional, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        EXPECT_EQ(FormatTimestamp(regional, row.format, row.moment), row.expected)
            << "format \"" << row.format << "\": " << row.why;
    }
}

// A locale that gives exactly the values a test puts in; every other value is
// missing, as for a locale without regional settings.
class FakeLocale final : public sim::SimSystem {
public:
    explicit FakeLocale(std::map<std::uint32_t, std::string> values) : values_(std::move(values)) {}

    std::uint32_t GetThreadLocale() override { return 0x0411; }
    int GetLocaleInfoA(std::uint32_t locale, std::uint32_t type, char* buffer, int size) override {
        auto found = values_.find(type);
        if (locale != 0x0411 || found == values_.end()) return 0;
        const int needed = static_cast<int>(found->second.size()) + 1;
        if (size < needed) return 0;
        std::memcpy(buffer, found->second.c_str(), static_cast<std::size_t>(needed));
        return needed;
    }

private:
    std::map<std::uint32_t, std::string> values_;
};

TEST(RegionalFormats, ReadFromTheSimulatedLocales) {
    EXPECT_EQ(German.RegionalLongTime, "hh:mm:ss");
    EXPECT_EQ(German.RegionalShortTime, "hh:mm");
    EXPECT_EQ(German.TimeAMString, "") << "an empty locale value is kept, not defaulted";
    EXPECT_EQ(German.ShortDayNames[0], "So") << "Sunday first, though Windows starts with Monday";
    EXPECT_EQ(German.LongDayNames[6], "Samstag");
    EXPECT_EQ(US.RegionalLongTime, "h:mm:ss AMPM");
    EXPECT_EQ(US.RegionalShortTime, "h:mm AMPM");
}

TEST(RegionalFormats, TimeFormatsAreBuiltFromTheThreeNumbers) {
    struct Case {
        std::map<std::uint32_t, std::string> values;
        const char* longTime;
        const char* shortTime;
    };
    const Case cases[] = {
        {{}, "h:mm:ss AMPM", "h:mm AMPM"},
        {{{LOCALE_ITIME, "1"}, {LOCALE_ITLZERO, "1"}}, "hh:mm:ss", "hh:mm"},
        {{{LOCALE_ITIME, "1"}, {LOCALE_ITLZERO, "0"}}, "h:mm:ss", "h:mm"},
        {{{LOCALE_ITIME, "2"}}, "h:mm:ss", "h:mm"},
        {{{LOCALE_ITIME, "0"}, {LOCALE_ITLZERO, "1"}, {LOCALE_ITIMEMARKPOSN, "1"}},
         "AMPM hh:mm:ss", "AMPM hh:mm"},
        {{{LOCALE_ITIME, "1x"}, {LOCALE_ITLZERO, "yes"}}, "h:mm:ss AMPM", "h:mm AMPM"},
        {{{LOCALE_ITIME, ""}, {LOCALE_ITIMEMARKPOSN, "-1"}}, "AMPM h:mm:ss", "AMPM h:mm"},
    };
    for (const Case& c : cases) {
        FakeLocale locale(c.values);
        const TRegionalFormats regional = ReadRegionalFormats(locale);
        EXPECT_EQ(regional.RegionalLongTime, c.longTime);
        EXPECT_EQ(regional.RegionalShortTime, c.shortTime);
    }
}

TEST(RegionalFormats, MissingValuesTakeTheDefaults) {
    FakeLocale locale({{LOCALE_SMONTHNAME1, "January"}, {LOCALE_SDAYNAME1 + 6, "Sunday"}});
    const TRegionalFormats regional = ReadRegionalFormats(locale);
    EXPECT_EQ(regional.LongMonthNames[0], "January");
    EXPECT_EQ(regional.LongDayNames[0], "Sunday");
    ExpectFormats(regional, {
        {"c", Monday, "12/7/26 2:05:09 pm", "short date m/d/yy, 12-hour clock, am/pm"},
        {"dddddd", Monday, "Dezember 7, 2026", "long date mmmm d, yyyy with German names"},
        {"mmm dddd ddd|mmmm", Friday, "M\xE4r Freitag Fr|M\xE4rz", "German names"},
    });
}

TEST(FormatTimestamp, CasesFromTheDescription) {
    ExpectFormats(German, {
        {"dd.mm.yyyy", Monday, "07.12.2026", "day, month, year"},
        {"hh:nn", Monday, "14:05", "hours, time separator, minutes"},
        {"h:mm", Monday, "14:05", "m after an hour form is minutes"},
        {"m/d", Monday, "12.7", "month, date separator, day"},
        {"hh AM/PM", Monday, "02 PM", "12-hour clock in the afternoon"},
        {"hh AM/PM", At(2026, 12, 7, 0, 30), "12 AM", "hour 0 is 12 AM"},
        {"", Monday, "07.12.2026 14:05:09", "empty format is c"},
    });
}

TEST(FormatTimestamp, EachFormAndItsLengths) {
    ExpectFormats(German, {
        {"d|dd|ddd|dddd", Friday, "5|05|Fr|Freitag", "day number and names"},
        {"ddddd", Friday, "05.03.2027", "short date"},
        {"dddddd|ddddddddd", Friday, "Freitag, 5. M\xE4rz 2027|Freitag, 5. M\xE4rz 2027",
         "long date, six letters and more"},
        {"m|mm|mmm|mmmm|mmmmmm", Friday, "3|03|M\xE4r|M\xE4rz|M\xE4rz", "month number and names"},
        {"y|yy|yyy|yyyy|yyyyy", Friday, "27|27|2027|2027|2027", "two digits, then the whole year"},
        {"y", At(2005, 1, 1, 0, 0), "05", "one y keeps the leading zero"},
        {"yyy|yy", At(987, 6, 1, 0, 0), "0987|87", "at least four digits"},
        {"yyyy", At(12345, 6, 1, 0, 0), "12345", "more than four digits stay"},
        {"h|hh|hhh", Friday, "9|09|09", "hours"},
        {"n|nn|nnn", Friday, "8|08|08", "minutes"},
        {"s|ss|sss", Friday, "7|07|07", "seconds"},
        {"z|zz|zzz|zzzz", Friday, "6|06|006|006", "milliseconds padded to one, two, three"},
        {"z|zz", At(2027, 3, 5, 9, 8, 7, 123), "123|123", "padding never cuts"},
        {"t|tt|ttttt", Friday, "09:08|09:08:07|09:08:07", "regional short and long time"},
        {"c", Friday, "05.03.2027 09:08:07", "short date and long time"},
        {"c", At(2027, 3, 5, 0, 0, 0, 500), "05.03.2027", "midnight: milliseconds ignored"},
        {"c", At(2027, 3, 5, 0, 0, 1), "05.03.2027 00:00:01", "one second past midnight"},
        {"ccc", Friday, "05.03.2027 09:08:07", "a run of c is one form"},
        {"AAA|aaaa", Friday, "Fr|Freitag", "day names by a"},
        {"AAAAA", Friday, "FreitagA", "a forms are fixed, not runs"},
        {"a|b|x|#", Friday, "a|b|x|#", "other characters are themselves"},
        {"g|gg|e|eee", Friday, "|||", "no eras in these calendars"},
    });
}

TEST(FormatTimestamp, RunsAreOneCaseAndLettersEitherCase) {
    ExpectFormats(German, {
        {"DD.MM.YYYY", Monday, "07.12.2026", "capitals are the same forms"},
        {"dD", Monday, "77", "two one-letter forms"},
        {"mM", Friday, "33", "two month forms"},
        {"HH:MM", Friday, "09:08", "capital M after an hour is minutes"},
        {"hmM", Friday, "983", "only the m right after the hour is minutes"},
    });
}

TEST(FormatTimestamp, MinutesOrMonth) {
    ExpectFormats(German, {
        {"mm", Friday, "03", "no hour before"},
        {"h m", Friday, "9 8", "blanks are no letter forms"},
        {"hh' Uhr 'mm", Friday, "09 Uhr 08", "quoted text is no letter form"},
        {"hh\"h\"mm", Friday, "09h08", "a quoted h is no form either"},
        {"hh dd mm", Friday, "09 05 03", "a day form comes between"},
        {"hmm m", Friday, "908 3", "the last form was minutes, not an hour"},
        {"hh AM/PM mm", Friday, "09 AM 03", "the marker is the last letter form"},
    });
}

TEST(FormatTimestamp, TwelveHourClock) {
    const SystemTime noon = At(2026, 12, 7, 12, 0);
    const SystemTime lastMinute = At(2026, 12, 7, 23, 59);
    ExpectFormats(German, {
        {"hh AM/PM", noon, "12 PM", "noon stays 12"},
        {"h AM/PM", lastMinute, "11 PM", "23 becomes 11"},
        {"h AM/PM", At(2026, 12, 7, 11, 0), "11 AM", "morning hours stay"},
        {"hh am/pm", Monday, "02 pm", "lower case marker"},
        {"hh Am/pM", Monday, "02 pM", "the letter after the slash, as written"},
        {"hh Am/pM", Friday, "09 Am", "the letters before the slash, as written"},
        {"h A/P", Monday, "2 P", "one-letter marker"},
        {"h a/p", Friday, "9 a", "one-letter marker, lower case"},
        {"hh AMPM", Monday, "02 ", "German PM string is empty, still 12-hour"},
        {"AM/PM hh", Monday, "PM 02", "a marker output before counts too"},
        {"hh hh AM/PM", Monday, "14 02 PM", "the next hour letter ends the search"},
        {"hh a hh AM/PM", Monday, "14 a 02 PM", "an unquoted a ends the search"},
        {"hh 'Uhr' AM/PM", Monday, "14 Uhr PM", "a quoted hour letter ends it as well"},
        {"hh 'am' AM/PM", Monday, "02 am PM", "a quoted a does not"},
        {"hh \"x\" A/P", Monday, "02 x P", "double quotes likewise"},
        {"hh 'x AM/PM", Monday, "14 x AM/PM", "a marker inside an open quote is text"},
    });
    ExpectFormats(US, {
        {"h:nn ampm", Monday, "2:05 PM", "regional PM string"},
        {"t", At(2026, 12, 7, 0, 30), "12:30 AM", "regional time after midnight"},
        {"tt", Monday, "2:05:09 PM", "regional long time"},
        {"t|hh", Monday, "2:05 PM|14", "a marker inside a regional format stays there"},
        {"c", Monday, "12/7/2026 2:05:09 PM", "US date and time"},
    });
}

TEST(FormatTimestamp, RegionalFormatsExpandOneLevel) {
    TRegionalFormats nested = German;
    nested.RegionalShortDate = "[c|t|tt|ddddd|dddddd]";
    nested.RegionalLongTime = "hh-ddddd";
    ExpectFormats(nested, {
        {"ddddd", Monday, "[||||]", "second level expands nothing"},
        {"c", Monday, "[||||] 14-", "c at the second level: not even the blank"},
        {"tt/ddddd", Monday, "14-.[||||]", "each first-level form expands once"},
    });
    TRegionalFormats separators = German;
    separators.DateSeparator = "-/-";
    separators.TimeSeparator = "";
    ExpectFormats(separators, {
        {"d/m:y", Monday, "7-/-1226", "separators are regional, whatever their length"},
    });
}

TEST(FormatTimestamp, QuotesAndOtherBytes) {
    ExpectFormats(German, {
        {"'dd' dd", Monday, "dd 07", "single quotes"},
        {"\"it's\"", Monday, "it's", "the other quote is text"},
        {"'a\"b'", Monday, "a\"b", "and the other way round"},
        {"''dd", Monday, "07", "empty quotes"},
        {"dd 'Tag", Monday, "07 Tag", "an open quote runs to the end"},
        {"dd'", Monday, "07", "a quote as the last byte"},
        {"\xE4\xDF\x80\xFF", Monday, "\xE4\xDF\x80\xFF", "bytes above 127 are text"},
        {std::string("d\0d", 3), Monday, std::string("7\0" "7", 3), "a NUL is text"},
        {"AM/P", Friday, "A3.P", "an incomplete marker is a lone a"},
        {"A", Friday, "A", "a at the end"},
        {"AAMPM", Friday, "A", "a then the regional AM string"},
    });
}

TEST(FormatTimestamp, OutputStopsAt256Characters) {
    std::string manyDates;
    std::string manyFormats;
    for (int i = 0; i < 20; ++i) {
        manyDates += "Montag, 7. Dezember 2026|";
        manyFormats += "dddddd|";
    }
    ExpectFormats(German, {
        {std::string(300, 'x'), Monday, std::string(256, 'x'), "plain text"},
        {std::string(250, 'x') + "dddddd", Monday, std::string(250, 'x') + "Montag",
         "cut in the middle of a regional expansion"},
        {std::string(255, 'x') + "c", Monday, std::string(255, 'x') + "0", "cut inside c"},
        {"'" + std::string(300, 'q') + "'", Monday, std::string(256, 'q'), "quoted text"},
        {manyFormats, Monday, manyDates.substr(0, 256), "many expansions"},
    });
}

}  // namespace
