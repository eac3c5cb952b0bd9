#include "pelund/wildcards.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(WildcardTools, Rewrite)
{
    struct Case {
        const char* text;
        const char* pattern;
        const char* templ;
        int level, result;
        const char* output;
    } cases[] = {
        {"plan.dgn", "*.dgn", "*.pdf", 1, 0, "plan.pdf"},
        {"plan.dgn", "*.dgn", "x?y", 1, 0, "xplany"},
        {"plan.dgn", "p*n.dgn", "[*]", 1, 0, "[la]"},
        {"plan.dgn", "*.DGN", "*.pdf", 1, 0x8000, ""},
        {"plan.dgn", "plan.dgn", "copy*", 0, 0, "copy*"},
        {"a1.dgn", "a?.dgn", "b?.pdf", 1, 0, "b1.pdf"},
        {"plan.dgn", "*.dgn", "*-*", 1, 0x8000, "plan-"},
        {"plan.dgn", "*.dgn", "*.pdf", 2, 0, "plan.pdf"},
    };
    for (const Case& c : cases) {
        char out[512] = "junk";
        EXPECT_EQ(psString_replaceWithWildcards(c.text, out, c.pattern, c.templ, c.level), c.result)
            << c.pattern << " " << c.templ;
        EXPECT_STREQ(out, c.output) << c.pattern << " " << c.templ;
    }
    char out[512] = "junk";
    EXPECT_EQ(psString_replaceWithWildcards(nullptr, out, "*", "*", 1), 0x8000);
    EXPECT_STREQ(out, "");
}

TEST(WildcardTools, RewriteIsCutAt511Characters)
{
    std::string name(2000, 'n');
    char out[600];
    std::memset(out, 'z', sizeof out);
    EXPECT_EQ(psString_replaceWithWildcards(name.c_str(), out, "*", "<*>", 1), 0);
    EXPECT_EQ(std::strlen(out), 511u);
    EXPECT_EQ(out[0], '<');
    EXPECT_EQ(out[512], 'z');
}

TEST(WildcardTools, ExpandFirstWildcard)
{
    char out[512];
    char* pos = nullptr;
    const char* text = "xxabcxx";
    EXPECT_EQ(psString_expandFirstWildcard(out, "a?c", text, &pos, 1), 0);
    EXPECT_STREQ(out, "b");
    EXPECT_EQ(pos, text + 4);

    const char* plan = "plan.dgn";
    EXPECT_EQ(psString_expandFirstWildcard(out, "*.dgn", plan, &pos, 1), 0);
    EXPECT_STREQ(out, "plan");
    EXPECT_EQ(pos, plan + 4);

    // No wildcard: failure, empty output, position on the last character.
    EXPECT_EQ(psString_expandFirstWildcard(out, "plan.dgn", plan, &pos, 1), 0x8000);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(pos, plan + 7);
    // A bracket pattern longer than what it matched keeps the position inside.
    const char* one = "a";
    EXPECT_EQ(psString_expandFirstWildcard(out, "[abc]", one, &pos, 2), 0x8000);
    EXPECT_EQ(pos, one + 1);

    EXPECT_EQ(psString_expandFirstWildcard(out, "q*", plan, &pos, 1), 0x8000);
    EXPECT_EQ(psString_expandFirstWildcard(nullptr, "*", plan, &pos, 1), 0x8000);
    EXPECT_EQ(psString_expandFirstWildcard(out, "*", plan, nullptr, 1), 0);
}

TEST(WildcardTools, Locate)
{
    const char* text = "xxabbbcxx";
    EXPECT_EQ(psString_findSubStringWithWildcards(text, "a*c", 1), text + 2);
    EXPECT_EQ(psString_findSubStringWithWildcards(text, "x*", 1), text);
    EXPECT_EQ(psString_findSubStringWithWildcards(text, "b?x", 1), text + 5);
    EXPECT_EQ(psString_findSubStringWithWildcards(text, "a*q", 1), nullptr);
    EXPECT_EQ(psString_findSubStringWithWildcards(text, "a*c", 2), nullptr);
    EXPECT_EQ(psString_findSubStringWithWildcards(text, "abb", 1), nullptr);
    EXPECT_EQ(psString_findSubStringWithWildcards(nullptr, "a", 1), nullptr);
}

TEST(WildcardTools, SmallHelpers)
{
    int offset = 0;
    EXPECT_EQ(psString_matchWithWildcardsSubStringLen("^ab", &offset), 2);
    EXPECT_EQ(offset, 1);
    EXPECT_EQ(psString_matchWithWildcardsSubStringLen("abc", nullptr), 3);
    EXPECT_EQ(psString_matchWithWildcardsSubStringLen("x[0-9]", nullptr), 2);
    EXPECT_EQ(psString_matchWithWildcardsSubStringLen("a-c", nullptr), 1);
    EXPECT_EQ(psString_matchWithWildcardsSubStringLen("ab]cd", nullptr), 2);
    EXPECT_EQ(psString_matchWithWildcardsSubStringLen(nullptr, nullptr), 0);

    EXPECT_EQ(psString_matchChar('a', 'A', 0), 1);
    EXPECT_EQ(psString_matchChar('a', 'A', 1), 0);
    EXPECT_EQ(psString_matchChar('\xe9', '\xc9', 0), 0);
    EXPECT_EQ(psString_charIsWildCard('*', 1), 1);
    EXPECT_EQ(psString_charIsWildCard('*', 2), 0);
    EXPECT_EQ(psString_charIsWildCard('[', 1), 0);
    const char* s = "ab?c*";
    EXPECT_EQ(psString_findFirstWildCard(s, 1), s + 2);
    EXPECT_EQ(psString_findFirstWildCard(s, 3), nullptr);
    EXPECT_EQ(psString_findSubString(s, "c?"), s + 2);
    EXPECT_EQ(psString_findSubString(s, "xyz"), nullptr);
    EXPECT_EQ(psString_findSubString(nullptr, "a"), nullptr);
}
