#include "pelund/strings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(Strings, CompareNoCase)
{
    EXPECT_EQ(psString_cmpNoCaseA("abc", "ABC"), 0);
    EXPECT_LT(psString_cmpNoCaseA("ab", "ABC"), 0);
    EXPECT_GT(psString_cmpNoCaseA("abd", "ABC"), 0);
    EXPECT_EQ(psString_cmpNoCaseA(nullptr, "x"), 0);
    EXPECT_EQ(psString_cmpNoCaseA("", ""), 0);
    // Upper-casing decides the order: '_' sorts after every letter.
    EXPECT_LT(psString_cmpNoCaseA("a", "_"), 0);
    // Bytes above 0x7F are no letters and compare unsigned.
    EXPECT_NE(psString_cmpNoCaseA("\xe9", "\xc9"), 0);
    EXPECT_GT(psString_cmpNoCaseA("\xe9", "z"), 0);
    EXPECT_EQ(psString_cmpNoCaseW(u"Stra\u00dfe", u"STRA\u00dfE"), 0);
    EXPECT_NE(psString_cmpNoCaseW(u"\u00e9", u"\u00c9"), 0);

    EXPECT_EQ(psString_cmpNoCaseNA("abcX", "ABCy", 3), 0);
    EXPECT_EQ(psString_cmpNoCaseNA("abc", "abc", 0), -1);
    EXPECT_EQ(psString_cmpNoCaseNA(nullptr, "abc", 3), -1);
    EXPECT_EQ(psString_cmpNoCaseNA("ab", "ab", 10), 0);
    EXPECT_EQ(psString_cmpNoCaseNW(u"abcX", u"ABCy", 3), 0);

    EXPECT_EQ(psString_cmpSuffixNoCase("plan.DGN", ".dgn"), 0);
    EXPECT_NE(psString_cmpSuffixNoCase("plan.dgnx", ".dgn"), 0);
    EXPECT_NE(psString_cmpSuffixNoCaseNA("ab", "xAB", 5), 0);
    EXPECT_EQ(psString_cmpSuffixNoCaseNA("ab", "xAB", 2), 0);
    EXPECT_EQ(psString_cmpPrefixNoCaseA("Hello", "hE"), 0);
    EXPECT_EQ(psString_cmpPrefixNoCaseA("Hello", ""), -1);
    EXPECT_EQ(psString_cmpPrefixNoCaseA(nullptr, "a"), -1);
}

TEST(Strings, FindNoCase)
{
    const char* hay = "Hello World";
    EXPECT_EQ(psString_strNoCaseA(hay, "WORLD"), hay + 6);
    EXPECT_EQ(psString_strNoCaseNA(hay, "WORLD", 8), nullptr);
    EXPECT_EQ(psString_strNoCaseNA(hay, "WORLD", 11), hay + 6);
    EXPECT_EQ(psString_strNoCaseNA(hay, "WORLD", 1000), hay + 6);
    EXPECT_EQ(psString_strNoCaseNA(hay, "o", 0), nullptr);
    EXPECT_EQ(psString_strNoCaseA(hay, nullptr), nullptr);
    EXPECT_EQ(psString_strNoCaseA("", ""), nullptr);
    const char16_t* whay = u"Hello World";
    EXPECT_EQ(psString_strNoCaseW(whay, u"wor"), whay + 6);
    EXPECT_EQ(psString_strNoCaseNW(whay, u"wor", 8), nullptr);
}

TEST(Strings, CopyAndCount)
{
    char out[8];
    std::memset(out, 'z', sizeof out);
    EXPECT_EQ(psString_copyNA(out, "abcdef", 3), 3);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(psString_copyNA(out, "ab", 5), 2);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(psString_copyNA(out, "ab", 0), 0);
    EXPECT_EQ(psString_copyNA(nullptr, "ab", 3), 0);
    char16_t wout[8];
    std::fill(std::begin(wout), std::end(wout), u'z');
    EXPECT_EQ(psString_copyNW(wout, u"ab", 5), 2);
    EXPECT_EQ(std::u16string(wout, 6), std::u16string(u"ab\0\0\0z", 6));

    struct Case {
        const char* text;
        int pieces;
    } cases[] = {{"a,b,c", 3}, {"a,b,", 2}, {",,", 2}, {"a,,b", 3}, {"", 0}, {"abc", 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(psString_countCharsA(c.text, ","), c.pieces) << c.text;
        std::u16string w(c.text, c.text + std::strlen(c.text));
        EXPECT_EQ(psString_countCharsW(w.c_str(), u","), c.pieces) << c.text;
    }
    EXPECT_EQ(psString_countCharsA("a;b,c", ",;"), 3);
    EXPECT_EQ(psString_countCharsA(nullptr, ","), 0);
}

TEST(Strings, Classes)
{
    EXPECT_EQ(psString_isAlpha("ab1", 0), 1);
    EXPECT_EQ(psString_isAlpha("ab1", 1), 0);
    EXPECT_EQ(psString_isAlpha("ab1", 0x100), 1);  // only the low 8 bits count
    EXPECT_EQ(psString_isAlpha("\xe9", 0), 0);
    EXPECT_EQ(psString_isAlpha("", 0), 0);
    EXPECT_EQ(psString_isAlphaNumeric("ab1", 1), 1);
    EXPECT_EQ(psString_isAlphaNumeric("ab 1", 1), 0);
    EXPECT_EQ(psString_isPrintable("a\x7f", 1), 0);
    EXPECT_EQ(psString_isPrintable("a\xe9", 1), 1);
    EXPECT_EQ(psString_isPrintable("a\xff", 1), 0);
    EXPECT_EQ(psString_isNumericExtA("-1.5", 1, 1, 1), 1);
    EXPECT_EQ(psString_isNumericExtA("1-2", 1, 1, 1), 0);
    EXPECT_EQ(psString_isNumericExtA("1-2", 0, 0, 0), 1);
    EXPECT_EQ(psString_isNumericExtA("1.5", 1, 0, 0), 0);
    EXPECT_EQ(psString_isNumericExtA("-15", 2, 0, 1), 1);
    EXPECT_EQ(psString_isNumericExtW(u"-1.5", 1, 1, 1), 1);
    EXPECT_EQ(psString_isNumericExtW(u"\u0661", 1, 0, 0), 0);
    EXPECT_EQ(psWChar_towlower(u'Q'), u'q');
    EXPECT_EQ(psWChar_towlower(u'\u00c9'), u'\u00c9');
}

TEST(Strings, TrimAndUnderscore)
{
    char text[] = " \t ab c \t";
    psString_TrimLeadingWhiteSpace(text);
    EXPECT_STREQ(text, "ab c \t");
    psString_TrimTrailingWhiteSpace(text);
    EXPECT_STREQ(text, "ab c");
    psString_TrimTrailingWhiteSpace(nullptr);
    EXPECT_EQ(psString_spaceToUnderscoreA(text), 0);
    EXPECT_STREQ(text, "ab_c");
    char empty[] = "";
    EXPECT_EQ(psString_spaceToUnderscoreA(empty), 0x8000);
    char16_t wide[] = u"a b";
    EXPECT_EQ(psString_spaceToUnderscoreW(wide), 0);
    EXPECT_EQ(std::u16string(wide), u"a_b");
}

TEST(Strings, ReplaceChars)
{
    char out[32];
    EXPECT_EQ(psString_replaceCharsA(out, "a b", " ", "__", 0), 0);
    EXPECT_STREQ(out, "a__b");
    EXPECT_EQ(psString_replaceCharsA(out, "a b c", " ", nullptr, 0), 0);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(psString_replaceCharsA(out, "a\tb\x01", nullptr, "?", 1), 0);
    EXPECT_STREQ(out, "a?b?");
    char inplace[32] = "x y z";
    EXPECT_EQ(psString_replaceCharsA(inplace, inplace, " ", "--", 0), 0);
    EXPECT_STREQ(inplace, "x--y--z");
    std::strcpy(out, "keep");
    EXPECT_EQ(psString_replaceCharsA(out, "", " ", "_", 0), 0x8000);
    EXPECT_STREQ(out, "keep");
    char16_t wout[16];
    EXPECT_EQ(psString_replaceCharsW(wout, u"a\u00ffb", nullptr, u"", 1), 0);
    EXPECT_EQ(std::u16string(wout), u"ab");
}

TEST(Strings, Replace)
{
    struct Case {
        const char* source;
        const char* search;
        const char* replacement;
        int size, cs, result;
        const char* output;
    } cases[] = {
        {"one two one", "one", "1", 64, 1, 0, "1 two 1"},
        {"one two one", "one", "three", 14, 1, 0, "three two one"},
        {"one two one", "one", "three", 12, 1, 0x8000, "one two one"},
        {"one two one", "x", "xx", 64, 1, 0x8000, "untouched"},
        {"one two one", "one", "ONE", 64, 0, 0x8000, "untouched"},
        {"One two one", "one", "1", 64, 0, 0, "1 two 1"},
        {"One two one", "one", "1", 64, 1, 0, "One two 1"},
        {"abc", "q", "r", 64, 1, 0x8000, "abc"},
        {"abcdef", "q", "r", 4, 1, 0x8000, "abc"},
        // A replacement can complete a new occurrence with the text before it.
        {"aabb", "ab", "", 64, 1, 0, ""},
        {"aaab", "ab", "b", 64, 1, 0, "b"},
    };
    for (const Case& c : cases) {
        char out[64] = "untouched";
        EXPECT_EQ(psString_replace(out, c.source, c.search, c.replacement, c.size, c.cs), c.result)
            << c.source << " " << c.search << " " << c.replacement;
        EXPECT_STREQ(out, c.output) << c.source << " " << c.search << " " << c.replacement;
    }
    char out[8] = "same";
    EXPECT_EQ(psString_replace(out, out, "s", "S", 8, 1), 0);
    EXPECT_STREQ(out, "Same");
    EXPECT_EQ(psString_replace(out, "x", "x", "y", 0, 1), 0x8000);
}

TEST(Strings, SymbolsTruncatePad)
{
    char out[64];
    EXPECT_EQ(psString_symbolsToAlpha(out, "5'6\"", 0), 6);
    EXPECT_STREQ(out, "5ft6in");
    EXPECT_EQ(psString_symbolsToAlpha(out, "a\xe9\x01", 0), 3);
    EXPECT_STREQ(out, "a??");
    EXPECT_EQ(psString_symbolsToAlpha(out, "a\xe9\xff", 1), 3);
    EXPECT_STREQ(out, "a\xe9?");

    EXPECT_EQ(psString_truncate(out, "abcdefghij", nullptr, 6), 6);
    EXPECT_STREQ(out, "abc...");
    EXPECT_EQ(psString_truncate(out, "abcdefghij", "~", 6), 6);
    EXPECT_STREQ(out, "abcde~");
    EXPECT_EQ(psString_truncate(out, "abc", nullptr, 6), 3);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(psString_truncate(out, "abcdef", nullptr, 3), 0);
    EXPECT_EQ(psString_truncate(out, "abcdefghij", "<long marker>", 5), 5);
    EXPECT_STREQ(out, "<long");

    char text[10] = "ab";
    EXPECT_EQ(psStringCat_padWithChars(text, 'x', 3, 10), 3);
    EXPECT_STREQ(text, "abxxx");
    EXPECT_EQ(psStringCat_padWithChars(text, 'y', 10, 10), 4);
    EXPECT_STREQ(text, "abxxxyyyy");
    EXPECT_LE(psStringCat_padWithChars(text, 'z', 1, 10), 0);
    EXPECT_STREQ(text, "abxxxyyyy");
    EXPECT_EQ(psStringCat_padWithChars(nullptr, 'z', 7, 10), 7);
    // Exactly filling the capacity still leaves room for the terminator.
    char tight[5] = "ab";
    EXPECT_EQ(psStringCat_padWithChars(tight, '-', 3, 5), 2);
    EXPECT_STREQ(tight, "ab--");
}

TEST(Strings, CatSizedV)
{
    char out[16] = "ab";
    EXPECT_EQ(psString_catSizedV(out, 3, "%d-%s", 12345, "zz"), 8);
    EXPECT_STREQ(out, "ab123");
    EXPECT_EQ(psString_catSizedV(out, 0, "%d", 1), 0);
    EXPECT_EQ(psString_catSizedV(nullptr, 3, "%d", 1), 0);
    EXPECT_STREQ(out, "ab123");
}

TEST(Strings, FilterNonAnsi)
{
    char16_t text[] = u"a\u00e9\u00f8\u0101z";
    FilterNonANSIWChar(text);
    EXPECT_EQ(std::u16string(text), u"a\u00e9~~z");
    FilterNonANSIWChar(nullptr);
}

TEST(Strings, LogicalNames)
{
    struct Case {
        const char* pattern;
        const char* name;
        int list, cs, expected;
    } cases[] = {
        {"*.dgn", "plan.dgn", 0, 1, 1}, {"AB", "ab", 0, 1, 0},     {"AB", "ab", 0, 0, 1},
        {" ab ", "ab", 0, 1, 1},        {"x,a*", "abc", 1, 1, 1},  {"x,a*", "abc", 0, 1, 0},
        {"a*b", "axxbyb", 0, 1, 0},     {"a?c", "abc", 0, 1, 1},   {"a*", "a", 0, 1, 1},
        {"a**", "a", 0, 1, 1},          {"abc", "ab", 0, 1, 0},    {"x, ab ,y", "ab", 1, 1, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(psString_CompareLogicalNames2(c.pattern, c.name, c.list, ',', c.cs), c.expected)
            << c.pattern << " / " << c.name;
    EXPECT_EQ(psString_CompareLogicalNames("AB", "ab", 0, ','), 0);
    EXPECT_EQ(psString_CompareLogicalNames("*.dgn", "x.dgn", 0, ','), 1);
}
