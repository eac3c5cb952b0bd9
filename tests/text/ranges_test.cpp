#include "pelund/ranges.h"

#include "tests/support/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using testing_support::widen;

std::vector<int> setBits(const unsigned char* mask, int size)
{
    std::vector<int> bits;
    for (int b = 0; b < size * 8; ++b)
        if (mask[b / 8] >> (b % 8) & 1)
            bits.push_back(b);
    return bits;
}

}  // namespace

TEST(Ranges, ValidElement)
{
    struct Case {
        const char* text;
        int single;
        bool withBounds;
        int lower, upper;  // start values
        int result, lowerAfter, upperAfter, isRange;
    } cases[] = {
        {"5", 1, true, 0, 0, 1, 5, 5, 0},      {"5", 0, true, 0, 0, 0, 5, 5, 0},
        {"3-7", 1, true, 0, 0, 1, 3, 7, 1},    {" 3 - 7 ", 1, true, 0, 0, 1, 3, 7, 1},
        {"7-3", 1, true, 0, 0, 1, 7, 3, 1},    {"7-3", 1, false, 0, 0, 0, 0, 0, 1},
        {"3-7", 1, false, 0, 0, 1, 0, 0, 1},   {"-5-3", 1, true, 0, 0, 1, 0, 3, 1},
        {"-5--3", 1, true, -9, 0, 1, -5, -3, 1}, {"-5", 1, true, -9, 0, 1, -5, -5, 0},
        {"5 6", 1, true, 0, 0, 0, 0, 0, 0},    {"a", 1, true, 0, 0, 0, 0, 0, 0},
        {"", 1, true, 0, 0, 0, 0, 0, 0},       {"-", 1, true, 0, 0, 0, 0, 0, 0},
        {"3-", 1, true, 0, 0, 1, 3, 3, 0},     {"1-2-3", 1, true, 0, 0, 1, 1, 2, 1},
        {"3-7", 1, true, 5, 10, 1, 5, 7, 1},   {"3-12", 1, true, 5, 10, 0, 5, 10, 1},
        {"6-12", 1, true, 5, 10, 0, 6, 10, 1}, {"3-x", 1, true, 0, 0, 0, 3, 0, 0},
        {"99999999999", 1, true, 0, 0, 1, 2147483647, 2147483647, 0},
    };
    for (const Case& c : cases) {
        int lower = c.lower, upper = c.upper, isRange = -1;
        int* lo = c.withBounds ? &lower : nullptr;
        int* hi = c.withBounds ? &upper : nullptr;
        EXPECT_EQ(psString_isValidNumericRangeA(c.text, c.single, lo, hi, &isRange), c.result)
            << "'" << c.text << "'";
        if (c.withBounds) {
            EXPECT_EQ(lower, c.lowerAfter) << "'" << c.text << "'";
            EXPECT_EQ(upper, c.upperAfter) << "'" << c.text << "'";
        }
        EXPECT_EQ(isRange, c.isRange) << "'" << c.text << "'";
        int wl = c.lower, wu = c.upper, wr = -1;
        EXPECT_EQ(psString_isValidNumericRangeW(widen(c.text).c_str(), c.single,
                                                c.withBounds ? &wl : nullptr,
                                                c.withBounds ? &wu : nullptr, &wr),
                  c.result)
            << "W '" << c.text << "'";
    }
    EXPECT_EQ(psString_isValidNumericRangeA(nullptr, 1, nullptr, nullptr, nullptr), 0);
}

// Each part is read into a 63-character area (127 in UTF-16): a longer part
// is cut there, and the rest is read as the next part.
TEST(Ranges, ValidElementPartAreas)
{
    std::string digits(70, '1');
    int lower = 0, upper = 0, isRange = 0;
    EXPECT_EQ(psString_isValidNumericRangeA(digits.c_str(), 1, &lower, &upper, &isRange), 1);
    EXPECT_EQ(isRange, 1);
    std::string wideDigits(130, '1');
    EXPECT_EQ(psString_isValidNumericRangeW(widen(wideDigits).c_str(), 1, &lower, &upper, &isRange),
              1);
    EXPECT_EQ(isRange, 1);
    std::string fits(120, '1');
    EXPECT_EQ(psString_isValidNumericRangeW(widen(fits).c_str(), 1, &lower, &upper, &isRange), 1);
    EXPECT_EQ(isRange, 0);
}

TEST(Ranges, MaskFromText)
{
    struct Case {
        const char* text;
        int size, base;
        std::vector<int> bits;
    } cases[] = {
        {"1,3,5", 4, 1, {0, 2, 4}},     {" 2 , 4 - 6 ", 4, 1, {1, 3, 4, 5}},
        {"40", 4, 1, {}},               {"0", 4, 1, {}},
        {"5-5,9-3", 4, 0, {}},          {"-3", 4, 0, {0, 1, 2, 3}},
        {"0,31", 4, 0, {0, 31}},        {"32", 4, 0, {}},
        {"30-40", 4, 0, {30, 31}},      {"x,,7", 1, 0, {7}},
        {"0-99999999999", 1, 0, {0, 1, 2, 3, 4, 5, 6, 7}},
    };
    for (const Case& c : cases) {
        unsigned char mask[4];
        std::memset(mask, 0xAA, sizeof mask);
        EXPECT_EQ(psString_buildBitMaskFromStringA(mask, c.text, c.size, c.base), 0);
        EXPECT_EQ(setBits(mask, c.size), c.bits) << c.text;
        std::memset(mask, 0xAA, sizeof mask);
        EXPECT_EQ(psString_buildBitMaskFromStringW(mask, widen(c.text).c_str(), c.size, c.base),
                  0);
        EXPECT_EQ(setBits(mask, c.size), c.bits) << "W " << c.text;
    }
    unsigned char mask[2];
    // Digits of other scripts count with their value.
    EXPECT_EQ(psString_buildBitMaskFromStringW(mask, u"\u0663,\u00b2", 2, 0), 0);
    EXPECT_EQ(setBits(mask, 2), (std::vector<int>{2, 3}));
    EXPECT_EQ(psString_buildBitMaskFromStringA(nullptr, "1", 2, 0), 0x8000);
    EXPECT_EQ(psString_buildBitMaskFromStringA(mask, nullptr, 2, 0), 0x8000);
}

TEST(Ranges, TextFromMask)
{
    unsigned char mask[2] = {0, 0};
    for (int b : {0, 1, 2, 4, 6, 7, 8})
        mask[b / 8] |= (unsigned char)(1 << (b % 8));
    char out[64];
    EXPECT_EQ(psString_buildStringFromBitMaskA(out, mask, 2, 1), 0);
    EXPECT_STREQ(out, "1-3,5,7-9");
    char16_t wout[64];
    EXPECT_EQ(psString_buildStringFromBitMaskW(wout, mask, 2, 1), 0);
    EXPECT_EQ(std::u16string(wout), u"1-3,5,7-9");
    unsigned char two[1] = {0x18};
    EXPECT_EQ(psString_buildStringFromBitMaskA(out, two, 1, 0), 0);
    EXPECT_STREQ(out, "3-4");
    unsigned char none[3] = {0, 0, 0};
    EXPECT_EQ(psString_buildStringFromBitMaskA(out, none, 3, 0), 0);
    EXPECT_STREQ(out, "");
    unsigned char edges[2] = {0x01, 0x80};
    EXPECT_EQ(psString_buildStringFromBitMaskA(out, edges, 2, 0), 0);
    EXPECT_STREQ(out, "0,15");
    EXPECT_EQ(psString_buildStringFromBitMaskA(nullptr, edges, 2, 0), 0x8000);
}

// The UTF-16 text is built in a 1024-character area.
TEST(Ranges, WideTextFromMaskIsCut)
{
    std::vector<unsigned char> mask(1000, 0x55);  // every other bit: a long list
    std::u16string out(8192, u'\0');
    EXPECT_EQ(psString_buildStringFromBitMaskW(out.data(), mask.data(), int(mask.size()), 0), 0);
    EXPECT_EQ(std::u16string(out.c_str()).size(), 1023u);
}

TEST(Ranges, NormaliseIntegerList)
{
    struct Case {
        const char* text;
        int base, count, result;
        const char* expected;
    } cases[] = {
        {"7,1-3,2,9", 0, 32, 0, "1-3,7,9"}, {"7,1-3,2,40", 1, 32, 0, "1-3,7"},
        {"7,1-3", 5, 5, 0x8000, "7,1-3"},   {"7,1-3", -1, 32, 0x8000, "7,1-3"},
        {"8,9,10,11", 0, 12, 0, "8-11"},    {"", 0, 8, 0, ""},
    };
    for (const Case& c : cases) {
        char text[64];
        std::strcpy(text, c.text);
        EXPECT_EQ(psStringFixed_listFormatNumericRangeA(text, c.base, c.count), c.result) << c.text;
        EXPECT_STREQ(text, c.expected) << c.text;
        std::u16string wide = widen(c.text);
        wide.resize(64);
        EXPECT_EQ(psStringFixed_listFormatNumericRangeW(wide.data(), c.base, c.count), c.result);
        EXPECT_EQ(std::u16string(wide.c_str()), widen(c.expected));
    }
    EXPECT_EQ(psStringFixed_listFormatNumericRangeA(nullptr, 0, 8), 0x8000);
}

TEST(Ranges, IsNumericRange)
{
    int has = -1;
    EXPECT_EQ(psStringAsList_isNumericRange("1-3, 5", &has), 1);
    EXPECT_EQ(has, 1);
    EXPECT_EQ(psStringAsList_isNumericRange("1;2", &has), 0);
    EXPECT_EQ(psStringAsList_isNumericRange(" 12.5 ", &has), 1);
    EXPECT_EQ(has, 0);
    EXPECT_EQ(psStringAsList_isNumericRange("  ", &has), 0);
    EXPECT_EQ(psStringAsList_isNumericRange(nullptr, &has), 0);
}

TEST(Ranges, MixedList)
{
    struct Case {
        const char* value;
        int cs, result, lower, upper;
    } cases[] = {
        {"3", 1, 1, 1, 5}, {"7", 1, 0, 0, 0}, {"10", 1, 1, 10, 10},
        {"abc", 0, 1, 0, 0}, {"abc", 1, 0, 0, 0}, {"Axe", 1, 1, 0, 0},
    };
    for (const Case& c : cases) {
        int lower = 0, upper = 0, isRange = -1;
        EXPECT_EQ(psStringAsList_matchStringInAlphaNumericRangeA("1-5, 10, A*", c.value, 1, " ",
                                                                 " ", nullptr, ",", nullptr,
                                                                 &lower, &upper, &isRange, c.cs),
                  c.result)
            << c.value;
        EXPECT_EQ(lower, c.lower) << c.value;
        EXPECT_EQ(upper, c.upper) << c.value;
        int wl = 0, wu = 0;
        EXPECT_EQ(psStringAsList_matchStringInAlphaNumericRangeW(
                      u"1-5, 10, A*", widen(c.value).c_str(), 1, u" ", u" ", nullptr, u",",
                      nullptr, &wl, &wu, nullptr, c.cs),
                  c.result)
            << "W " << c.value;
    }
    // Quotes protect a separator inside a pattern element.
    EXPECT_EQ(psStringAsList_matchStringInAlphaNumericRangeA("'a,b', 7", "a,b", 1, " ", " ",
                                                             nullptr, ",", "'", nullptr, nullptr,
                                                             nullptr, 1),
              1);
    EXPECT_EQ(psStringAsList_matchStringInAlphaNumericRangeA(nullptr, "1", 1, " ", " ", nullptr,
                                                             ",", nullptr, nullptr, nullptr,
                                                             nullptr, 1),
              0);
}

// Elements are read into a 512-character area (1024 in UTF-16).
TEST(Ranges, MixedListElementArea)
{
    std::string list(600, 'a');
    std::string value(600, 'a');
    // Read in pieces of 512 and 88 characters, neither equals the value.
    EXPECT_EQ(psStringAsList_matchStringInAlphaNumericRangeA(list.c_str(), value.c_str(), 1,
                                                             nullptr, nullptr, nullptr, ",",
                                                             nullptr, nullptr, nullptr, nullptr, 1),
              0);
    EXPECT_EQ(psStringAsList_matchStringInAlphaNumericRangeW(
                  widen(list).c_str(), widen(value).c_str(), 1, nullptr, nullptr, nullptr, u",",
                  nullptr, nullptr, nullptr, nullptr, 1),
              1);
}

TEST(Ranges, FindDouble)
{
    EXPECT_EQ(psStringAsList_findDoubleA(2.0, "1.0, 2.0, 3.0", ",", 0.001), 9);
    EXPECT_EQ(psStringAsList_findDoubleA(4.0, "1,2,3", ",", 0.5), -1);
    EXPECT_EQ(psStringAsList_findDoubleA(3.0, "1,2,3", ",", 0.5), 5);
    EXPECT_EQ(psStringAsList_findDoubleW(2.0, u"1.0, 2.0, 3.0", u",", 0.001), 9);
    EXPECT_EQ(psStringAsList_findDoubleA(1.0, nullptr, ",", 0.5), -1);
}

TEST(Ranges, ReadAndAddDecimals)
{
    double lo = 0, hi = 0;
    EXPECT_EQ(psStringFixed_listReadDoubleRangeA("2 - 1, 7", &lo, &hi), 6);
    EXPECT_EQ(lo, 1.0);
    EXPECT_EQ(hi, 2.0);
    EXPECT_EQ(psStringFixed_listReadDoubleRangeA("-5", &lo, &hi), 2);
    EXPECT_EQ(lo, -5.0);
    EXPECT_EQ(hi, 5.0);
    EXPECT_EQ(psStringFixed_listReadDoubleRangeA("1.25", &lo, &hi), 4);
    EXPECT_EQ(lo, 1.25);
    EXPECT_EQ(psStringFixed_listReadDoubleRangeA("", &lo, &hi), 0);
    EXPECT_EQ(psStringFixed_listReadDoubleRangeW(u"0.5-1.5", &lo, &hi), 7);
    EXPECT_EQ(hi, 1.5);

    char list[128] = "";
    EXPECT_EQ(psStringFixed_listAddDoubleRangeA(list, 2, 2, 2), 0);
    EXPECT_STREQ(list, "2.0");
    EXPECT_EQ(psStringFixed_listAddDoubleRangeA(list, 1.25, 3, 2), 0);
    EXPECT_STREQ(list, "2.0, 1.25-3.0");
    EXPECT_EQ(psStringFixed_listAddDoubleRangeA(list, 5, 4, 3), 0);
    EXPECT_STREQ(list, "2.0, 1.25-3.0, 5.0");
    EXPECT_EQ(psStringFixed_listAddDoubleRangeA(nullptr, 5, 4, 3), 0x8000);
    char16_t wlist[64] = u"";
    EXPECT_EQ(psStringFixed_listAddDoubleRangeW(wlist, 0.5, 1, 1), 0);
    EXPECT_EQ(std::u16string(wlist), u"0.5-1.0");
}

TEST(Ranges, NormaliseDecimalList)
{
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"3, 1", "1.0, 3.0"},
        {"1-10, 2-3, 4-5", "1.0-10.0"},
        {"1-3, 2-5", "1.0-3.0, 2.0-5.0"},
        {"1, 1", "1.0"},
        {"1-3, 2", "1.0-3.0"},
        {"0.5-1.5, 1.5-2.5", "0.5-1.5, 1.5-2.5"},
        {"2.5-2.5, 3-2", "2.0-3.0"},
        {"", ""},
    };
    for (const Case& c : cases) {
        char text[128];
        std::strcpy(text, c.text);
        EXPECT_EQ(psStringFixed_listFormatDoubleRangeA(text, 2), 0);
        EXPECT_STREQ(text, c.expected) << c.text;
        std::u16string wide = widen(c.text);
        wide.resize(128);
        EXPECT_EQ(psStringFixed_listFormatDoubleRangeW(wide.data(), 2), 0);
        EXPECT_EQ(std::u16string(wide.c_str()), widen(c.expected)) << c.text;
    }
    EXPECT_EQ(psStringFixed_listFormatDoubleRangeA(nullptr, 2), 0);
}

// The decimal list is read from its first 511 characters and rebuilt
// within 511, by whole elements.
TEST(Ranges, DecimalListArea)
{
    std::string list;
    for (int k = 1; k <= 200; ++k)
        list += std::to_string(k) + ",";
    std::vector<char> text(list.begin(), list.end());
    text.resize(4096, '\0');
    EXPECT_EQ(psStringFixed_listFormatDoubleRangeA(text.data(), 1), 0);
    std::string out(text.data());
    EXPECT_LE(out.size(), 511u);
    EXPECT_EQ(out.substr(0, 15), "1.0, 2.0, 3.0, ");
    EXPECT_NE(out.back(), ',');
    EXPECT_EQ(out.find("200"), std::string::npos);
}
