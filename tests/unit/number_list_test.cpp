// The tone values of the speaker: how one item becomes a number, and how a
// comma-separated text fills the four fields.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

#include "common/number_list.h"

void PrintTo(const TToneSpec& spec, std::ostream* out) {
    *out << spec.Frequency << "," << spec.Duration << "," << spec.Count << "," << spec.Pause;
}

namespace {

struct ItemCase {
    const char* item;
    std::int32_t value;
    const char* rule;
};

// Each item alone is the whole text, so it lands in Frequency.
const ItemCase ItemCases[] = {
    {"440", 440, "decimal digits"},
    {"007", 7, "leading zeros"},
    {"+440", 440, "plus sign"},
    {"-440", -440, "minus sign"},
    {"   440", 440, "leading blanks are skipped"},
    {"440 ", 0, "a trailing blank is another character"},
    {"\t440", 0, "only spaces count as blanks"},
    {"   ", 0, "blanks only"},
    {"-", 0, "lone minus"},
    {"+", 0, "lone plus"},
    {"+-5", 0, "two signs"},
    {"- 5", 0, "blank after the sign"},
    {"44a0", 0, "a letter among decimal digits"},
    {"1e3", 0, "no exponents"},
    {"2147483647", 2147483647, "largest decimal"},
    {"2147483648", 0, "decimal overflow"},
    {"-2147483648", INT32_MIN, "smallest decimal"},
    {"-2147483649", 0, "negative overflow"},
    {"99999999999999999999999", 0, "overflow far past 64 bits"},
    {"$1B8", 440, "dollar prefix"},
    {"x1b8", 440, "x prefix"},
    {"X1B8", 440, "X prefix"},
    {"0x1b8", 440, "0x prefix"},
    {"0X1B8", 440, "0X prefix"},
    {"$aBcD", 0xABCD, "hexadecimal digits of either case"},
    {"  $10", 16, "blanks before the prefix"},
    {"$FFFFFFFF", -1, "hexadecimal fills all 32 bits"},
    {"$80000000", INT32_MIN, "the sign bit from hexadecimal"},
    {"$00000000FF", 255, "leading hexadecimal zeros do not overflow"},
    {"$100000000", 0, "hexadecimal overflow"},
    {"$", 0, "prefix without digits"},
    {"0x", 0, "0x without digits"},
    {"-$10", 0, "no sign before a hexadecimal prefix"},
    {"$-10", 0, "no sign after the prefix"},
    {"$1G", 0, "a letter that is no hexadecimal digit"},
    {"00x10", 0, "the 0x prefix only at the start"},
};

class NumberItemTest : public ::testing::TestWithParam<ItemCase> {};

TEST_P(NumberItemTest, ConvertsOrGivesZero) {
    const ItemCase& row = GetParam();
    TToneSpec spec{1, 1, 1, 1};
    ParseNumberList(row.item, spec);
    EXPECT_EQ(spec.Frequency, row.value) << row.rule << ": \"" << row.item << "\"";
    EXPECT_EQ(spec, (TToneSpec{row.value, 1, 1, 1})) << "only the first field is touched";
}

INSTANTIATE_TEST_SUITE_P(Items, NumberItemTest, ::testing::ValuesIn(ItemCases));

struct ListCase {
    const char* text;
    TToneSpec spec;
    const char* rule;
};

// Every list starts from 7,7,7,7, so an untouched field shows.
const ListCase ListCases[] = {
    {"440,200,3,100", {440, 200, 3, 100}, "four items, in field order"},
    {"440,200", {440, 200, 7, 7}, "fields without an item are untouched"},
    {"440", {440, 7, 7, 7}, "the last character ends the item"},
    {"", {7, 7, 7, 7}, "an empty text touches nothing"},
    {"440,200,1,0,999", {440, 200, 1, 0}, "a fifth item is ignored"},
    {"1,2,3,4,5,6,7", {1, 2, 3, 4}, "all items after the fourth are ignored"},
    {",200,1,0", {0, 200, 1, 0}, "an empty first item is 0"},
    {"440,,1,0", {440, 0, 1, 0}, "an empty middle item is 0"},
    {"440, 200, 1, 0", {440, 200, 1, 0}, "blanks after the commas"},
    {"440 ,200,1,0", {0, 200, 1, 0}, "a blank before a comma spoils the item"},
    {"440,200,1,", {440, 200, 1, 7}, "a comma at the end ends the list"},
    {"440,200,1,0,", {440, 200, 1, 0}, "a comma at the end after four items"},
    {",", {0, 7, 7, 7}, "a lone comma ends an empty first item"},
    {",,", {0, 0, 7, 7}, "two commas end two empty items"},
    {"a,$10,-3,x", {0, 16, -3, 0}, "each item on its own"},
};

class NumberListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(NumberListTest, FillsFieldsByPosition) {
    const ListCase& row = GetParam();
    TToneSpec spec{7, 7, 7, 7};
    ParseNumberList(row.text, spec);
    EXPECT_EQ(spec, row.spec) << row.rule << ": \"" << row.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(Lists, NumberListTest, ::testing::ValuesIn(ListCases));

// The playing side starts from a fresh spec, so a short value leaves its
// missing fields at 0: no tones without a count.
TEST(NumberListTest, FreshSpecLeavesMissingFieldsAtZero) {
    TToneSpec spec;
    ParseNumberList("440,200", spec);
    EXPECT_EQ(spec, (TToneSpec{440, 200, 0, 0}));
}

}  // namespace
