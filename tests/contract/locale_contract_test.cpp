// The locale values the date and time formatting reads, checked against the
// simulated German and US locales: natively against the simulation, under
// Wine against the real GetLocaleInfoA of the thread's locale (chosen by
// LANG). Other thread locales have no simulated twin and are skipped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_locale.h"
#include "platform/win_constants.h"
#include "tests/contract/contract_backend.h"

using namespace win;

namespace {

struct LocaleValue {
    std::uint32_t type;
    std::string name;
};

std::vector<LocaleValue> ValuesRead() {
    std::vector<LocaleValue> values = {
        {LOCALE_SLONGDATE, "LOCALE_SLONGDATE"},   {LOCALE_SSHORTDATE, "LOCALE_SSHORTDATE"},
        {LOCALE_ITIME, "LOCALE_ITIME"},           {LOCALE_ITLZERO, "LOCALE_ITLZERO"},
        {LOCALE_ITIMEMARKPOSN, "LOCALE_ITIMEMARKPOSN"},
        {LOCALE_SDATE, "LOCALE_SDATE"},           {LOCALE_STIME, "LOCALE_STIME"},
        {LOCALE_S1159, "LOCALE_S1159"},           {LOCALE_S2359, "LOCALE_S2359"},
    };
    auto run = [&](std::uint32_t first, int count, const std::string& name) {
        for (int i = 0; i < count; ++i) {
            values.push_back({first + i, name + std::to_string(i + 1)});
        }
    };
    run(LOCALE_SMONTHNAME1, 12, "LOCALE_SMONTHNAME");
    run(LOCALE_SABBREVMONTHNAME1, 12, "LOCALE_SABBREVMONTHNAME");
    run(LOCALE_SDAYNAME1, 7, "LOCALE_SDAYNAME");
    run(LOCALE_SABBREVDAYNAME1, 7, "LOCALE_SABBREVDAYNAME");
    return values;
}

// Where Wine's locale data (taken from CLDR, measured with Wine 8) differs
// from what Windows gives. The simulation follows Windows; under Wine these
// values are expected instead.
struct WineDifference {
    std::uint32_t locale;
    std::uint32_t type;
    const char* wine;
};

const WineDifference WineDifferences[] = {
    {sim::LocaleGerman, LOCALE_SSHORTDATE, "d.M.yyyy"},   // Windows: dd.MM.yyyy
    {sim::LocaleGerman, LOCALE_S1159, "AM"},              // Windows: empty, 24-hour clock
    {sim::LocaleGerman, LOCALE_S2359, "PM"},
    {sim::LocaleGerman, LOCALE_SABBREVDAYNAME1 + 0, "Mo."},   // Windows: without the dot
    {sim::LocaleGerman, LOCALE_SABBREVDAYNAME1 + 1, "Di."},
    {sim::LocaleGerman, LOCALE_SABBREVDAYNAME1 + 2, "Mi."},
    {sim::LocaleGerman, LOCALE_SABBREVDAYNAME1 + 3, "Do."},
    {sim::LocaleGerman, LOCALE_SABBREVDAYNAME1 + 4, "Fr."},
    {sim::LocaleGerman, LOCALE_SABBREVDAYNAME1 + 5, "Sa."},
    {sim::LocaleGerman, LOCALE_SABBREVDAYNAME1 + 6, "So."},
};

// Wine puts its configuration directory into every process's environment;
// Windows has no such variable.
bool UnderWine() { return std::getenv("WINECONFIGDIR") != nullptr; }

std::optional<std::string> Simulated(std::uint32_t locale, std::uint32_t type) {
    char buffer[256];
    const int length = sim::LocaleInfo(locale, type, buffer, sizeof buffer);
    if (length <= 0) return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(length - 1));
}

class LocaleContract : public ::testing::Test {
protected:
    SystemApi& api = ContractSystem();
    std::uint32_t locale = 0;

    void SetUp() override {
        locale = api.GetThreadLocale();
        // The CTest entries that choose a locale say which; a wrong one means
        // the locale was not built or Wine ignored it.
        if (const char* wanted = std::getenv("ZOLVIK_CONTRACT_LOCALE")) {
            ASSERT_EQ(locale, std::strtoul(wanted, nullptr, 16)) << "thread locale";
        }
        if (locale != sim::LocaleGerman && locale != sim::LocaleUS) {
            GTEST_SKIP() << "thread locale 0x" << std::hex << locale << " is not simulated";
        }
    }

    std::optional<std::string> Real(std::uint32_t type) {
        char buffer[256];
        const int length = api.GetLocaleInfoA(locale, type, buffer, sizeof buffer);
        if (length <= 0) return std::nullopt;
        return std::string(buffer, static_cast<std::size_t>(length - 1));
    }

    std::optional<std::string> Expected(std::uint32_t type) {
        for (const WineDifference& difference : WineDifferences) {
            if (UnderWine() && difference.locale == locale && difference.type == type) {
                return difference.wine;
            }
        }
        return Simulated(locale, type);
    }
};

TEST_F(LocaleContract, ValuesTheFormattingReads) {
    for (const LocaleValue& value : ValuesRead()) {
        EXPECT_EQ(Real(value.type), Expected(value.type)) << value.name;
    }
}

TEST(LocaleDifferences, NameRealDifferences) {
    for (const WineDifference& difference : WineDifferences) {
        EXPECT_NE(Simulated(difference.locale, difference.type), difference.wine)
            << "type 0x" << std::hex << difference.type;
    }
}

TEST_F(LocaleContract, BufferSizes) {
    char buffer[256];
    const int length = api.GetLocaleInfoA(locale, LOCALE_SLONGDATE, buffer, sizeof buffer);
    ASSERT_GT(length, 1);
    EXPECT_EQ(buffer[length - 1], '\0') << "the count includes the NUL";
    EXPECT_EQ(api.GetLocaleInfoA(locale, LOCALE_SLONGDATE, nullptr, 0), length)
        << "size 0 asks for the count";
    EXPECT_EQ(api.GetLocaleInfoA(locale, LOCALE_SLONGDATE, buffer, length - 1), 0)
        << "a buffer one byte short fails";
    EXPECT_EQ(api.GetLocaleInfoA(locale, LOCALE_SLONGDATE, buffer, -1), 0);
    EXPECT_EQ(api.GetLocaleInfoA(locale, 0x7FFF, buffer, sizeof buffer), 0) << "unknown value";
    EXPECT_EQ(api.GetLocaleInfoA(0x1234, LOCALE_SLONGDATE, buffer, sizeof buffer), 0)
        << "unknown locale";
}

}  // namespace
