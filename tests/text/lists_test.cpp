#include "pelund/lists.h"
#include "pelund/misc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(Lists, EntriesAndSize)
{
    const char* list = "a, b, c";
    EXPECT_EQ(psString_listGetEntryA(list, ",", nullptr, 0), list);
    EXPECT_EQ(psString_listGetEntryA(list, ",", nullptr, 1), list + 2);
    EXPECT_EQ(psString_listGetEntryA(list, ",", nullptr, 2), list + 5);
    EXPECT_EQ(psString_listGetEntryA(list, ",", nullptr, 3), nullptr);
    EXPECT_EQ(psString_listGetEntryA(list, ",", nullptr, -1), nullptr);
    const char* quoted = "|x,y|, z";
    EXPECT_EQ(psString_listGetEntryA(quoted, ",", "|", 1), quoted + 6);
    const char16_t* wide = u"|x,y|, z";
    EXPECT_EQ(psString_listGetEntryW(wide, u",", u"|", 1), wide + 6);

    struct Case {
        const char* list;
        int size;
    } cases[] = {{"a, b, c", 3}, {"a,,b", 3}, {"", 0}, {"a,", 1}, {",a", 2}, {",", 1}};
    for (const Case& c : cases)
        EXPECT_EQ(psString_listGetSize(c.list, ",", nullptr), c.size) << c.list;
    EXPECT_EQ(psString_listGetSize("|a,b|,c", ",", "|"), 2);
    EXPECT_EQ(psString_listGetSize(nullptr, ",", nullptr), 0);
}

TEST(Lists, Membership)
{
    EXPECT_EQ(psString_listIsMemberA("a, B, c", "B", ",", " ", 0), 1);
    EXPECT_EQ(psString_listIsMemberA("a, B, c", "b", ",", " ", 0), 0);
    EXPECT_EQ(psString_listIsMemberA("a, B, c", "b", ",", " ", 1), 1);
    EXPECT_EQ(psString_listIsMemberA("a, B , c", "B", ",", nullptr, 0), 0);
    EXPECT_EQ(psString_listIsMemberA("a, ,c", "", ",", " ", 0), 1);
    EXPECT_EQ(psString_listIsMemberExt("|x,y|, z", "x,y", ",", " ", "|", 0), 1);
    EXPECT_EQ(psString_listIsMemberExt("|x,y|, z", "x", ",", " ", nullptr, 0), 0);
    EXPECT_EQ(psString_listIsMemberW(u"a, \u00e9t\u00e9, c", u"\u00c9T\u00c9", u",", u" ", 1), 0);
    EXPECT_EQ(psString_listIsMemberW(u"a, \u00e9t\u00e9, c", u"\u00e9t\u00e9", u",", u" ", 0), 1);
    EXPECT_EQ(psString_listIsMemberA(nullptr, "a", ",", " ", 0), 0);
    EXPECT_EQ(psString_listIsMemberA("a", nullptr, ",", " ", 0), 0);
}

// Entries are compared by their first 1023 characters.
TEST(Lists, MembershipWorkAreaCutsLongEntries)
{
    std::string longEntry(3000, 'q');
    std::string list = "a," + longEntry + ",b";
    EXPECT_EQ(psString_listIsMemberA(list.c_str(), longEntry.substr(0, 1023).c_str(), ",", " ", 0),
              1);
    EXPECT_EQ(psString_listIsMemberA(list.c_str(), longEntry.c_str(), ",", " ", 0), 0);
    EXPECT_EQ(psString_listIsMemberA(list.c_str(), "b", ",", " ", 0), 1);
}

TEST(Lists, Same)
{
    struct Case {
        const char* first;
        const char* second;
        int ignoreCase, unordered, expected;
    } cases[] = {
        {"a,b", "a,b", 0, 0, 1},   {"a,b", "a,c", 0, 0, 0},   {"a,b", "b,a", 0, 0, 0},
        {"a,b", "a,b,c", 0, 0, 1}, {"a,,b", "a,b", 0, 0, 1},  {"a,b", "a,,b", 0, 0, 0},
        {"", "", 0, 0, 0},         {"a,b", "b,a", 0, 1, 1},   {"a,b", "b,a,c", 0, 1, 0},
        {"a,b,b", "b,a", 0, 1, 1}, {"A, b", "a,B", 1, 0, 1},  {"A, b", "a,B", 0, 0, 0},
        {"a, b", "a,b", 0, 0, 1},  {",,", "a", 0, 1, 0},      {"a", "", 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(psString_listsAreSame(c.first, c.second, ",", " ", c.ignoreCase, c.unordered),
                  c.expected)
            << "'" << c.first << "' '" << c.second << "' unordered " << c.unordered;
    EXPECT_EQ(psString_listsAreSame(nullptr, "a", ",", " ", 0, 0), 0);
}

TEST(Lists, Append)
{
    char list[2048] = "";
    EXPECT_EQ(psStringFixed_listAppendA(list, "abc"), 0);
    EXPECT_STREQ(list, "Abc");
    std::strcpy(list, "x");
    EXPECT_EQ(psStringFixed_listAppendA(list, "%s-%d", "abc", 7), 0);
    EXPECT_STREQ(list, "x, abc-7");
    std::strcpy(list, "x\n");
    EXPECT_EQ(psStringFixed_listAppendA(list, "abc"), 0);
    EXPECT_STREQ(list, "x\nabc");
    std::strcpy(list, "x");
    EXPECT_EQ(psStringFixed_listAppendA(list, ""), 0);
    EXPECT_STREQ(list, "x, ");
    std::strcpy(list, "");
    EXPECT_EQ(psStringFixed_listAppendExtA(list, ";", 0, "abc"), 0);
    EXPECT_STREQ(list, "abc");
    EXPECT_EQ(psStringFixed_listAppendExtA(list, nullptr, 0, "def"), 0);
    EXPECT_STREQ(list, "abcdef");
    EXPECT_EQ(psStringFixed_listAppendA(nullptr, "abc"), 0x8000);
    EXPECT_EQ(psStringFixed_listAppendA(list, nullptr), 0x8000);

    char16_t wide[64] = u"x";
    EXPECT_EQ(psStringFixed_listAppendW(wide, u"%s=%d%hs", u"\u00e9\u20ac", 5, "!"), 0);
    EXPECT_EQ(std::u16string(wide), u"x, \u00e9\u20ac=5!");
    char16_t first[64] = u"";
    EXPECT_EQ(psStringFixed_listAppendW(first, u"%-4s|%3c|%.2f", u"ab", u'z', 1.5), 0);
    EXPECT_EQ(std::u16string(first), u"Ab  |  z|1.50");
}

// A formatted entry is cut at 1023 characters.
TEST(Lists, AppendWorkAreaCutsLongEntries)
{
    std::string big(3000, 'w');
    std::string list(4096, '\0');
    EXPECT_EQ(psStringFixed_listAppendExtA(list.data(), ", ", 0, "%s", big.c_str()), 0);
    EXPECT_EQ(std::strlen(list.c_str()), 1023u);
    std::u16string wbig(3000, u'w');
    std::u16string wlist(4096, u'\0');
    EXPECT_EQ(psStringFixed_listAppendExtW(wlist.data(), u", ", 0, u"%s", wbig.c_str()), 0);
    EXPECT_EQ(std::u16string(wlist.c_str()).size(), 1023u);
}

TEST(Lists, Truncate)
{
    struct Case {
        const char* list;
        const char* marker;
        int maximum, result;
        const char* expected;
    } cases[] = {
        {"alpha, beta, gamma, delta", "...", 15, 0, "alpha, beta..."},
        {"alpha, beta, gamma, delta", " [more]", 15, 0, "alpha [more]"},
        {"alphabetagammadelta", "...", 10, 0, "alphabe..."},
        {"alpha, beta, gamma, delta", "...", 25, 0x8000, "alpha, beta, gamma, delta"},
        {"alpha, beta, gamma, delta", "...", 40, 0x8000, "alpha, beta, gamma, delta"},
        {"alpha, beta", "...", 3, 0x8000, "alpha, beta"},
        {"alpha, beta, gamma", nullptr, 12, 0, "alpha, beta"},
        {"alpha, beta, gamma", "a marker that is too long", 5, 0, "a mar"},
    };
    for (const Case& c : cases) {
        char list[64];
        std::strcpy(list, c.list);
        EXPECT_EQ(psStringFixed_listTruncateBySeparatorExtA(list, c.marker, ',', c.maximum, nullptr),
                  c.result)
            << c.list << " " << c.maximum;
        EXPECT_STREQ(list, c.expected);
    }
    char list[64] = "alpha, beta, gamma, delta";
    EXPECT_EQ(psStringFixed_listTruncateBySeparatorA(list, ',', 15), 0);
    EXPECT_STREQ(list, "alpha, beta...");
    // With quotes as pairs the cut never falls inside "c, d".
    char quoted[64] = "a, \"b, c, d\", e";
    EXPECT_EQ(psStringFixed_listTruncateBySeparatorExtA(quoted, "...", ',', 13, "\""), 0);
    EXPECT_STREQ(quoted, "a...");
    char16_t wide[64] = u"alpha, beta, gamma, delta";
    EXPECT_EQ(psStringFixed_listTruncateBySeparatorW(wide, u',', 15), 0);
    EXPECT_EQ(std::u16string(wide), u"alpha, beta...");
}

TEST(Lists, DynamicStrings)
{
    char* text = nullptr;
    EXPECT_EQ(psStringDynamic_addA(&text, "ab"), 0);
    EXPECT_EQ(psStringDynamic_addA(&text, "cd"), 0);
    EXPECT_STREQ(text, "abcd");
    EXPECT_EQ(psStringDynamic_addV(&text, "-%d", 42), 0);
    EXPECT_STREQ(text, "abcd-42");
    EXPECT_EQ(psStringDynamic_addV(&text, "%s", ""), 0x8000);
    EXPECT_EQ(psStringDynamic_addA(&text, nullptr), 0x8000);
    EXPECT_EQ(psStringDynamic_freeA(&text), 0);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(psStringDynamic_addA(nullptr, "x"), 0x8000);

    char16_t* wide = nullptr;
    EXPECT_EQ(psStringDynamic_addW(&wide, u"\u20ac"), 0);
    EXPECT_EQ(psStringDynamic_addW(&wide, u"1"), 0);
    EXPECT_EQ(std::u16string(wide), u"\u20ac1");
    EXPECT_EQ(psStringDynamic_freeW(&wide), 0);
    EXPECT_EQ(wide, nullptr);

    std::string big(5000, 'z');
    char* formatted = nullptr;
    EXPECT_EQ(psStringDynamic_addV(&formatted, "%s", big.c_str()), 0);
    EXPECT_EQ(std::strlen(formatted), 1023u);
    psMisc_freeBuffer(&formatted);
}
