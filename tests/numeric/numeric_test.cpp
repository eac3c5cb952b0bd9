#include "pelund/misc.h"
#include "pelund/numeric.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

TEST(Numeric, CompareDoubles)
{
    EXPECT_EQ(psMath_compareDoubles(1.0, 1.05, 0.1), 1);
    EXPECT_EQ(psMath_compareDoubles(1.0, 1.05, 0.01), 0);
    EXPECT_EQ(psMath_compareDoubles(NAN, 1.0, 0.01), 1);
    EXPECT_EQ(psMath_compareDoubles(1.0, 1.0, NAN), 1);
}

TEST(Numeric, CompareAsMaster)
{
    struct Case {
        double value, master, percent, scale;
        const char* unit;
        int result;
        const char* text;
    } cases[] = {
        {10.0, 10.4, 5, 1, nullptr, 1, ""},
        {10, 12, 5, 1, nullptr, 0, "17%"},
        {100, 101, 0.5, 1, nullptr, 1, ""},
        {100, 102, 1, 1, nullptr, 0, "1.961%"},
        {0.2, 5, 1, 1, nullptr, 0, " 5.000MU"},
        {5, 0.2, 1, 1, "mm", 0, " 5.000mm"},
        {5000, 3, 1, 1, "mm", 0, "-4997mm"},
        {-10, -12, 5, 1, nullptr, 0, "17%"},
    };
    for (const Case& c : cases) {
        char out[128] = "";
        EXPECT_EQ(psMath_compareDoublesAsMasterA(c.value, c.master, c.percent, out, c.unit,
                                                 c.scale),
                  c.result)
            << c.value << " vs " << c.master;
        EXPECT_STREQ(out, c.text) << c.value << " vs " << c.master;
        char16_t wout[128] = u"";
        std::u16string unit = c.unit ? std::u16string(c.unit, c.unit + std::strlen(c.unit)) : u"";
        EXPECT_EQ(psMath_compareDoublesAsMasterW(c.value, c.master, c.percent, wout,
                                                 c.unit ? unit.c_str() : nullptr, c.scale),
                  c.result);
        EXPECT_EQ(std::u16string(wout), std::u16string(c.text, c.text + std::strlen(c.text)));
    }
    EXPECT_EQ(psMath_compareDoublesAsMasterA(10, 12, 5, nullptr, nullptr, 1), 0);
    // The label is cut at 63 characters.
    std::string label(100, 'L');
    char out[256];
    psMath_compareDoublesAsMasterA(0.2, 5, 1, out, label.c_str(), 1);
    EXPECT_EQ(std::strlen(out), 6 + 63u);
}

TEST(Numeric, ExtractBits)
{
    EXPECT_EQ(psMath_extractBitsFromByte(0xB6, 2, 5), 0xDu);
    EXPECT_EQ(psMath_extractBitsFromByte(0x1B6, 0, 7), 0xB6u);
    EXPECT_EQ(psMath_extractBitsFromByte(0xFF, 0, 20), 0xFFu);
    EXPECT_EQ(psMath_extractBitsFromByte(0xFF, 0, 32), 0x1u);  // positions wrap at 32
    EXPECT_EQ(psMath_extractBitsFromLong(0xF0000000u, 28, 31), 0xFu);
    EXPECT_EQ(psMath_extractBitsFromLong(0xFFFFFFFFu, 0, 31), 0xFFFFFFFFu);
    EXPECT_EQ(psMath_extractBitsFromLong(0x12345678u, 4, 11), 0x67u);
}

TEST(Numeric, IntList)
{
    int* list = nullptr;
    int count = 0;
    EXPECT_EQ(psMath_addIntToList(&list, 5, &count), 0);
    EXPECT_EQ(psMath_addIntToList(&list, 9, &count), 0);
    EXPECT_EQ(psMath_addIntToList(&list, 0, &count), 0x8000);
    EXPECT_EQ(psMath_addIntToList(&list, -3, &count), 0x8000);
    EXPECT_EQ(psMath_addIntToList(nullptr, 3, &count), 0x8000);
    EXPECT_EQ(psMath_addIntToList(&list, 3, nullptr), 0x8000);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(list[0], 5);
    EXPECT_EQ(list[1], 9);
    EXPECT_EQ(psMath_isIntInList(list, count, 9), 1);
    EXPECT_EQ(psMath_isIntInList(list, 1, 9), 0);
    EXPECT_EQ(psMath_isIntInList(list, 0, 5), 0);
    EXPECT_EQ(psMath_freeIntList(&list), 0);
    EXPECT_EQ(list, nullptr);
}

TEST(Numeric, BitMask)
{
    // Each operation on a two-byte mask: the mask before, the bit, the
    // operation, the result and the mask after.
    struct Case {
        unsigned char before[2];
        int bit, operation, result;
        unsigned char after[2];
    } cases[] = {
        {{0x00, 0x00}, 9, 3, 0, {0x00, 0x02}},        {{0x00, 0x02}, 16, 3, 0x8000, {0x00, 0x02}},
        {{0x00, 0x02}, 0, 3, 0, {0x01, 0x02}},        {{0x01, 0x02}, 15, 3, 0, {0x01, 0x82}},
        {{0x01, 0x82}, 15, 6, 0, {0x01, 0x82}},       {{0x01, 0x82}, 14, 6, 0x8000, {0x01, 0x82}},
        {{0x01, 0x82}, 16, 6, 0x8000, {0x01, 0x82}},  {{0x01, 0x82}, 9, 5, 0, {0x01, 0x80}},
        {{0x01, 0x80}, 15, 4, 0, {0x01, 0x00}},       {{0x01, 0x00}, 0, 9, 0, {0x01, 0x00}},
        {{0x01, 0x00}, 0, 10, 0, {0x01, 0x00}},       {{0x01, 0x00}, 0, 2, 0, {0x00, 0x00}},
        {{0x00, 0x00}, 0, 8, 0x8000, {0x00, 0x00}},   {{0x00, 0x00}, 0, 9, -1, {0x00, 0x00}},
        {{0x00, 0x00}, 0, 10, -1, {0x00, 0x00}},      {{0x00, 0x00}, 13, 3, 0, {0x00, 0x20}},
        {{0x00, 0x20}, 0, 9, 13, {0x00, 0x20}},       {{0x00, 0x20}, 0, 10, 13, {0x00, 0x20}},
        {{0x00, 0x20}, 0, 8, 0, {0x00, 0x20}},        {{0x00, 0x20}, 0, 7, 0, {0xFF, 0xDF}},
        {{0xFF, 0xDF}, 0, 1, 0, {0xFF, 0xFF}},        {{0xFF, 0xFF}, 15, 99, 0, {0xFF, 0xFF}},
        {{0xFF, 0xFF}, 16, 99, 0x8000, {0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        unsigned char mask[2] = {c.before[0], c.before[1]};
        EXPECT_EQ(psMath_setBitMask(c.bit, mask, 2, c.operation), c.result)
            << "bit " << c.bit << " operation " << c.operation;
        EXPECT_EQ(mask[0], c.after[0]) << "bit " << c.bit << " operation " << c.operation;
        EXPECT_EQ(mask[1], c.after[1]) << "bit " << c.bit << " operation " << c.operation;
    }
    unsigned char mask[2] = {0, 0};
    EXPECT_EQ(psMath_setBitMask(0, nullptr, 2, 1), 0x8000);
    EXPECT_EQ(psMath_setBitMask(0, mask, 0, 1), 0x8000);
}

TEST(Numeric, SortPoints)
{
    auto xs = [](std::vector<double> pts) {
        std::vector<double> out;
        for (size_t k = 0; k < pts.size(); k += 3)
            out.push_back(pts[k]);
        return out;
    };
    std::vector<double> pts = {3, 0, 0, 1, 0, 0, 2, 0, 0};
    EXPECT_EQ(psMath_sortPoints(pts.data(), 3, 1), 0);
    EXPECT_EQ(xs(pts), (std::vector<double>{1, 2, 3}));
    psMath_sortPoints(pts.data(), 3, 2);
    EXPECT_EQ(xs(pts), (std::vector<double>{3, 2, 1}));
    psMath_sortPoints(pts.data(), 3, 3);
    EXPECT_EQ(xs(pts), (std::vector<double>{3, 2, 1}));
    // Equal keys keep their order; whole points move.
    std::vector<double> ties = {0, 2, 1, 0, 1, 2, 0, 2, 3, 0, 1, 4};
    psMath_sortPoints(ties.data(), 4, 4);
    EXPECT_EQ(ties, (std::vector<double>{0, 1, 2, 0, 1, 4, 0, 2, 1, 0, 2, 3}));
    // A NaN key never causes an exchange: the passes' own order.
    std::vector<double> nan = {0, 0, 3, 0, 0, NAN, 0, 0, 1, 0, 0, 2};
    psMath_sortPoints(nan.data(), 4, 16);
    EXPECT_EQ(nan[2], 3);
    EXPECT_TRUE(std::isnan(nan[5]));
    EXPECT_EQ(nan[8], 1);
    EXPECT_EQ(nan[11], 2);
}

TEST(Numeric, TrimDoubleText)
{
    struct Case {
        const char* text;
        int decimals;
        const char* expected;
    } cases[] = {
        {" 12.3400 ", 1, "12.34"}, {"12.000", 2, "12.00"}, {"12.000", 0, "12."},
        {"1.5", 3, "1.500"},       {"100", 2, "100"},      {"-0.50", 1, "-0.5"},
    };
    for (const Case& c : cases) {
        char text[32];
        std::strcpy(text, c.text);
        EXPECT_EQ(psMath_trimDoubleAsStringA(text, c.decimals), 0);
        EXPECT_STREQ(text, c.expected) << c.text;
        char16_t wide[32];
        for (size_t k = 0; k <= std::strlen(c.text); ++k)
            wide[k] = char16_t(c.text[k]);
        EXPECT_EQ(psMath_trimDoubleAsStringW(wide, c.decimals), 0);
        EXPECT_EQ(std::u16string(wide),
                  std::u16string(c.expected, c.expected + std::strlen(c.expected)));
    }
    char empty[] = "";
    EXPECT_EQ(psMath_trimDoubleAsStringA(empty, 1), 0x8000);
    EXPECT_EQ(psMath_trimDoubleAsStringA(nullptr, 1), 0x8000);
}

TEST(Numeric, SixtyFourBitText)
{
    char out[21];
    EXPECT_EQ(psMath_convert64BitToStringA(out, -42), 0);
    EXPECT_STREQ(out, "42");
    EXPECT_EQ(psMath_convert64BitToStringA(out, INT64_MAX), 0);
    EXPECT_STREQ(out, "9223372036854775807");
    EXPECT_EQ(psMath_convert64BitToStringA(out, INT64_MIN), 0);
    EXPECT_STREQ(out, "-9223372036854775808");
    EXPECT_EQ(psMath_convert64BitToStringA(nullptr, 1), 0x8000);
}
