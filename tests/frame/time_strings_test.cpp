#include "pelund/misc.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <regex>
#include <string>

TEST(BuildTimeString, EnglishMonthAndYear)
{
    struct Case {
        int month, year;
        const char* expected;
    } cases[] = {
        {3, 2024, "March 2024"},  {12, 1999, "December 1999"}, {1, 2000, "January 2000"},
        {13, 2024, "January 2025"}, {0, 2024, "December 2023"}, {-11, 2024, "January 2023"},
    };
    // A locale set by the caller does not change the names.
    std::setlocale(LC_ALL, "C.UTF-8");
    for (const Case& c : cases) {
        char buffer[256];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(psMisc_buildTimeString(buffer, c.month, c.year), 0);
        EXPECT_STREQ(buffer, c.expected) << c.month << "/" << c.year;
    }
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(psMisc_buildTimeString(nullptr, 3, 2024), 0x8000);
}

TEST(AsciiTime, TwentyFourCharactersInAStaticArea)
{
    const char* first = psMisc_getAsciiTimeA();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::strlen(first), 24u);
    EXPECT_EQ(std::strchr(first, '\n'), nullptr);
    const std::regex form("(Sun|Mon|Tue|Wed|Thu|Fri|Sat) "
                          "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                          "[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}");
    EXPECT_TRUE(std::regex_match(first, form)) << first;
    EXPECT_EQ(psMisc_getAsciiTimeA(), first);
}

TEST(AsciiTime, WideFormMatchesNarrow)
{
    const ps_char16* wide = psMisc_getAsciiTimeW();
    const char* narrow = psMisc_getAsciiTimeA();
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(psMisc_getAsciiTimeW(), wide);
    std::u16string w(wide);
    ASSERT_EQ(w.size(), 24u);
    // The seconds may have ticked between the calls; compare the date part.
    for (size_t i = 0; i < 11; ++i)
        EXPECT_EQ(w[i], char16_t(narrow[i]));
}
