#include "pelund/wildcards.h"
#include "text/wildcard_match.h"
#include "wildcard_reference.h"

#include "tests/support/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using testing_support::widen;

// Every matcher against the reference, for one pattern and string.
void expectAllAgree(const std::string& p, const std::string& s, int level, int cs)
{
    bool standard = reference::match(p, s, level, cs, reference::Standard);
    bool plus = reference::match(p, s, level, cs, reference::Plus);
    auto where = [&] {
        return "pattern '" + p + "' string '" + s + "' level " + std::to_string(level) +
               " case " + std::to_string(cs);
    };
    ASSERT_EQ(psString_matchWithWildcards(p.c_str(), s.c_str(), level, cs), standard) << where();
    ASSERT_EQ(psString_matchWithWildcardsExtA(p.c_str(), s.c_str(), level, cs), standard)
        << where();
    ASSERT_EQ(psString_matchWithWildcardsExtW(widen(p).c_str(), widen(s).c_str(), level, cs),
              standard)
        << where();
    ASSERT_EQ(psString_matchWithWildcardsPlus(p.c_str(), s.c_str(), level, cs), plus) << where();
}

const std::string alphabet = "ab*?[]-^|,A";

// All strings over ALPHABET of length 0 to MAX.
std::vector<std::string> allStrings(const std::string& letters, size_t max)
{
    std::vector<std::string> out{""};
    for (size_t from = 0, len = 1; len <= max; ++len) {
        size_t to = out.size();
        for (size_t k = from; k < to; ++k)
            for (char c : letters)
                out.push_back(out[k] + c);
        from = to;
    }
    return out;
}

}  // namespace

TEST(Wildcards, EdgeCases)
{
    struct Case {
        const char* pattern;
        const char* string;
        int level, cs, expected;
    } cases[] = {
        {"*.dgn", "x.dgn", 1, 1, 1},   {"*.dgn", "x.dgn", 3, 1, 1},  {"*.dgn", "x.DGN", 1, 0, 1},
        {"*.dgn", "x.DGN", 1, 1, 0},   {"a?c", "abc", 1, 1, 1},      {"a?c", "a1c", 1, 1, 1},
        {"a?c", "a-c", 1, 1, 0},       {"a?c", "a c", 1, 1, 0},      {"a?", "a", 1, 1, 0},
        {"[a-c]", "b", 2, 1, 1},       {"[a-c]", "B", 2, 0, 1},      {"[a-c]", "B", 2, 1, 0},
        {"[c-a]", "b", 2, 1, 1},       {"[-a]", "-", 2, 1, 1},       {"[a-]", "-", 2, 1, 1},
        {"[]", "", 2, 1, 0},           {"[]", "a", 2, 1, 0},         {"[^]", "z", 2, 1, 1},
        {"[^]", "", 2, 1, 0},          {"[^a][b]", "xb", 2, 1, 1},   {"[^a][b]", "xc", 2, 1, 0},
        {"[^a]*[b]", "xb", 2, 1, 1},   {"a|b", "ab", 3, 1, 1},       {"a|b", "axb", 3, 1, 1},
        {"a|b", "axyb", 3, 1, 0},      {"a||b", "axyb", 3, 1, 1},    {"ab|", "ab", 3, 1, 1},
        {"ab|", "abc", 3, 1, 1},       {"ab|", "abcd", 3, 1, 0},     {"a|b", "a|b", 2, 1, 1},
        {"a|b", "axb", 2, 1, 0},       {"[[a]]", "a", 2, 1, 1},      {"[[a]]", "[", 2, 1, 1},
        {"[a", "x", 2, 1, 1},          {"[a", "ab", 2, 1, 0},        {"abc", "abc", 0, 1, 1},
        {"a*c", "abc", 0, 1, 0},       {"abc", "ABC", 0, 0, 0},      {"", "", 1, 1, 1},
        {"", "a", 2, 1, 0},            {"", "", 0, 1, 1},            {"abc", "", -1, 1, 1},
        {"abc", "abc", -1, 1, 0},      {"[abc,def]x", "abcx", 3, 1, 1},
        {"[abc,def]x", "defx", 3, 1, 1}, {"[ab*,de]x", "abzzx", 3, 1, 0},
        {"[10-12,1,2]", "10-12", 3, 1, 1}, {"[1,2,10-12]", "11", 3, 1, 0},
        {"[a,b]", "[a,b]", 1, 1, 1},   {"x[ab*,c]", "xabq", 3, 1, 1},
        {"[^ab,cd]", "x", 3, 1, 1},    {"[^ab,cd]", "a", 3, 1, 1},   {"[^ab,cd]y", "aby", 3, 1, 0},
        {"\x80", "\x80", 1, 1, 1},     {"[\x80-0]", "5", 2, 1, 0},   {"[\x80-0]", "\x90", 2, 1, 1},
        {"[ab,ba][ab,ba]", "abba", 3, 1, 1}, {"[ab,ba][ab,ba]", "aab", 3, 1, 0},
        {"*[ab,ba]*[ab,ba]", "xbaxab", 3, 1, 1}, {"*[ab,ba]*[ab,ba]", "xbax", 3, 1, 0},
        {"*[x,yz]", "ayz", 3, 1, 1},   {"*[x,yz]", "ay", 3, 1, 0},   {"a*[x,y*]", "aqyq", 3, 1, 1},
        {"[a,,b,]c", "bc", 3, 1, 1},   {"[a,,b,]c", "c", 3, 1, 0},   {"[^a,,b]x", "cx", 3, 1, 1},
        {"[a|b,c]d", "axbd", 3, 1, 1}, {"[a|b,c]d", "cd", 3, 1, 1},  {"[a|b,c]d", "axyd", 3, 1, 0},
        {"*[a||,b]|[a,b]", "xaxyxb", 3, 1, 1}, {"[a[b],c]x", "cx", 3, 1, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(psString_matchWithWildcards(c.pattern, c.string, c.level, c.cs), c.expected)
            << c.pattern << " / " << c.string << " level " << c.level;
        EXPECT_EQ(reference::match(c.pattern, c.string, c.level, c.cs, reference::Standard),
                  bool(c.expected))
            << "reference: " << c.pattern << " / " << c.string;
    }
}

TEST(Wildcards, NullArgumentsGiveNoMatch)
{
    EXPECT_EQ(psString_matchWithWildcards(nullptr, "a", 1, 1), 0);
    EXPECT_EQ(psString_matchWithWildcards("*", nullptr, 1, 1), 0);
    EXPECT_EQ(psString_matchWithWildcardsExtW(nullptr, u"a", 1, 1), 0);
    EXPECT_EQ(psString_matchWithWildcardsPlus("*", nullptr, 1, 1), 0);
}

TEST(Wildcards, WideFormComparesRangesUnsigned)
{
    // U+0080 sorts above '0' as an unsigned unit, below it as a signed byte.
    EXPECT_EQ(psString_matchWithWildcardsExtW(u"[0-\u0080]", u"A", 2, 1), 1);
    EXPECT_EQ(psString_matchWithWildcardsExtA("[0-\x80]", "A", 2, 1), 0);
    EXPECT_EQ(psString_matchWithWildcardsExtW(u"\u4e2d*", u"\u4e2d\u6587", 1, 1), 1);
    EXPECT_EQ(psString_matchWithWildcardsExtW(u"?", u"\u00e9", 1, 1), 0);
}

TEST(Wildcards, PlusIsPermissiveInsideItsOwnSets)
{
    EXPECT_EQ(psString_matchWithWildcardsPlus("[*]x", "qx", 2, 1), 1);
    EXPECT_EQ(psString_matchWithWildcards("[*]x", "qx", 2, 1), 0);
    EXPECT_EQ(psString_matchWithWildcardsPlus("[^?]", "q", 2, 1), 0);
    // After a star the standard rules apply.
    EXPECT_EQ(psString_matchWithWildcardsPlus("*[*]x", "qx", 2, 1), 0);
    // An alternative takes the length it counts for: 'a-c' stands for one.
    EXPECT_EQ(psString_matchWithWildcardsPlus("[a-c,zz]", "a-c", 3, 1), 0);
    EXPECT_EQ(psString_matchWithWildcards("[a-c,zz]", "a-c", 3, 1), 1);
    // ... even where its own text would fit the name.
    EXPECT_EQ(psString_matchWithWildcardsPlus("[a-c,zz]-c", "a-c", 3, 1), 0);
}

// The exhaustive comparison: every pattern and string from the special
// alphabet up to a combined length, at every level and both case flags.
TEST(Wildcards, AllMatchersAgreeWithReferenceExhaustively)
{
    struct Bound {
        size_t pattern, string;
    } bounds[] = {{4, 2}, {3, 3}, {2, 4}};
    for (const Bound& b : bounds) {
        std::vector<std::string> patterns = allStrings(alphabet, b.pattern);
        std::vector<std::string> strings = allStrings(alphabet, b.string);
        for (const std::string& p : patterns)
            for (const std::string& s : strings)
                for (int level = -1; level <= 3; ++level)
                    for (int cs = 0; cs <= 1; ++cs) {
                        expectAllAgree(p, s, level, cs);
                        if (::testing::Test::HasFatalFailure())
                            return;
                    }
    }
}

TEST(Wildcards, AllMatchersAgreeWithReferenceOnLongerRandomInputs)
{
    std::mt19937 rng(20261210);
    const std::string pieces[] = {"a", "b", "A", "*", "?", "[", "]", "-", "^", "|", ",", "ab",
                                  "[a,b]", "[^a]", "||", "[a-b]", "*a"};
    const std::string letters = "abA-|,*";
    for (int round = 0; round < 200000; ++round) {
        std::string p, s;
        int pn = int(rng() % 6);
        for (int k = 0; k < pn; ++k)
            p += pieces[rng() % std::size(pieces)];
        int sn = int(rng() % 9);
        for (int k = 0; k < sn; ++k)
            s += letters[rng() % letters.size()];
        expectAllAgree(p, s, int(rng() % 3) + 1, int(rng() % 2));
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

// Names against the shapes that take the short road (plain characters and
// '?' around at most one run of stars), and against near misses that must
// leave it ('[' and bars at the levels where they are special). The
// exported matcher takes the short road; the range form always searches.
TEST(Wildcards, ShortRoadAgreesWithTheSearchAndTheReference)
{
    std::mt19937 rng(20261211);
    const std::string pieces[] = {"plan", "P", "-0", "?", "?", ".dgn", ".DGN", "*", "**", "a",
                                  "[a-p]", "|", "9"};
    const std::string names[] = {"plan-01.dgn", "PLAN-0x.DGN", "plan.dgn", "x.dgn", ".dgn",
                                 "plan-0.dgn", "plan-01.dgn.bak", "a9", "", "p", "plan-0-.dgn",
                                 "Plan-09.Dgn", "planplan.dgn", "-0a"};
    for (int round = 0; round < 20000; ++round) {
        std::string p;
        int pn = int(rng() % 5);
        for (int k = 0; k < pn; ++k)
            p += pieces[rng() % std::size(pieces)];
        for (const std::string& s : names) {
            int level = int(rng() % 4), cs = int(rng() % 2);
            expectAllAgree(p, s, level, cs);
            if (::testing::Test::HasFatalFailure())
                return;
            ASSERT_EQ(psString_matchWithWildcards(p.c_str(), s.c_str(), level, cs) == 1,
                      pelund::matchRange(p.c_str(), p.size(), s.c_str(), s.size(), level,
                                         cs != 0, pelund::WildcardFlavor::Standard))
                << "pattern '" << p << "' string '" << s << "' level " << level;
        }
    }
}

// Names of every length to past four blocks, at every alignment, against
// the shapes with a road of their own: one star (the tail read from the
// end, case folded through a table), remembered patterns (the first element
// tested alone, a plain character after a star found a block at a time) and
// searches that remember states (lists and bars on long names; lists met
// again and again, repeated, at the end, with empty alternatives or bars
// inside, more of them than a search keeps read). Case pairs
// and their neighbours ('@' and '`', '[' and '{', 0xC4 and 0xE4) must fold
// only where ASCII letters do. Each pattern is matched many times in a row,
// so the exported matcher answers from its remembered form; the range form
// always reads the pattern, and short names go to the reference too.
TEST(Wildcards, FastRoadsAgreeOnNamesOfEveryLengthAndPlace)
{
    const char* patterns[] = {"*.dgn", "*.DgN", "plan*", "p?an-*.d?n", "*{", "*@", "*\xe4",
                              "*-*x", "[a-p]*-0[2-9].*", "?*Q*", "*a*A", "[^a]*", "x*{*",
                              "*[ab,ba]*[ab,ba]*|b", "*[ab,-0,d?n]*|x", "[^ab,b]*a|",
                              "*a||b*[a-c,dgn]", "[A,a]*|.dgn", "*[ab,ba][ab,ba]*[ab,ba]|",
                              "*x*[a,,b,]", "[^a,,b]*[dgn,x,]", "[a|,b*]*|[ab,b||]x",
                              "[a,b][b,x]*[a,x][x,q][a,-]*[b,0][d,g][n,x][a,b]|", nullptr};
    // Lists with more alternatives than a search keeps at once, each met
    // many times.
    std::string ys;
    for (int k = 0; k < 90; ++k)
        ys += "y,";
    const std::string longLists = "*[" + ys + "ab]*[" + ys + "ba]|";
    patterns[std::size(patterns) - 1] = longLists.c_str();
    const std::string letters = "aAbBxXqQ-0.dgnDGN{[@`\xe4\xc4|";
    std::mt19937 rng(20261214);
    char buffer[16 + 80];
    for (const char* p : patterns) {
        for (int round = 0; round < 600; ++round) {
            size_t len = rng() % 70, at = rng() % 16;
            std::string s;
            for (size_t k = 0; k < len; ++k)
                s += letters[rng() % letters.size()];
            std::memcpy(buffer + at, s.c_str(), len + 1);
            const char* name = buffer + at;
            int level = int(rng() % 3) + 1, cs = int(rng() % 2);
            if (len <= 16) {
                expectAllAgree(p, s, level, cs);
                if (::testing::Test::HasFatalFailure())
                    return;
            }
            bool read = pelund::matchRange(p, std::strlen(p), s.c_str(), len, level, cs != 0,
                                           pelund::WildcardFlavor::Standard);
            ASSERT_EQ(psString_matchWithWildcards(p, name, level, cs) == 1, read)
                << "pattern '" << p << "' string '" << s << "' level " << level << " case " << cs;
            ASSERT_EQ(psString_matchWithWildcardsExtW(widen(p).c_str(), widen(s).c_str(), level,
                                                      cs) == 1,
                      read)
                << "pattern '" << p << "' string '" << s << "' level " << level << " case " << cs;
        }
    }
}

// The exported matcher keeps the last few patterns it read, compiled; the
// range form always reads the pattern. Sequences that hit, miss and evict
// entries (more patterns than entries, the same bytes at another level or
// case flag, long patterns that differ only at the end, a buffer rewritten
// in place, the UTF-16 form in between) must answer as the range form and
// the reference do.
TEST(Wildcards, RememberedPatternsAnswerAsReadOnes)
{
    const std::string prefix(58, 'q');
    const std::string patterns[] = {"[a-p]*-0[2-9].*", "[a-q]*-0[2-9].*", "[a-p]*-0[2-8].*",
                                    prefix + "[a-c]*", prefix + "[a-d]*", prefix + "[^a-c]?",
                                    prefix + "12345[a]", prefix + "123456[a]", "*[!-]?",
                                    "[A-p]", "?[]", "[a-", "[^a]*", "?*b"};
    const std::string names[] = {"plan-03.dgn", "plan-01.dgn", "q-09.x", "x-02.pdf",
                                 prefix + "b", prefix + "dz", prefix + "Ab", prefix + "12345a",
                                 prefix + "123456a", "b", "B", "Q", "a!b", "a]", "[", "a",
                                 ""};
    std::mt19937 rng(20261213);
    char buffer[80];
    for (int round = 0; round < 20000; ++round) {
        const std::string& p = patterns[rng() % std::size(patterns)];
        const std::string& s = names[rng() % std::size(names)];
        int level = int(rng() % 4), cs = int(rng() % 2);
        // The same buffer holds every pattern in turn.
        std::memcpy(buffer, p.c_str(), p.size() + 1);
        bool read = pelund::matchRange(p.c_str(), p.size(), s.c_str(), s.size(), level, cs != 0,
                                       pelund::WildcardFlavor::Standard);
        ASSERT_EQ(reference::match(p, s, level, cs, reference::Standard), read)
            << "pattern '" << p << "' string '" << s << "' level " << level;
        for (int again = 0; again < 3; ++again) {
            ASSERT_EQ(psString_matchWithWildcards(buffer, s.c_str(), level, cs) == 1, read)
                << "pattern '" << p << "' string '" << s << "' level " << level;
            ASSERT_EQ(psString_matchWithWildcardsExtA(buffer, s.c_str(), level, cs) == 1, read)
                << "pattern '" << p << "' string '" << s << "' level " << level;
            ASSERT_EQ(psString_matchWithWildcardsExtW(widen(p).c_str(), widen(s).c_str(), level,
                                                      cs) == 1,
                      read)
                << "pattern '" << p << "' string '" << s << "' level " << level;
        }
    }
}

// Hard inputs finish, and long ones do not exhaust the stack.
TEST(Wildcards, HardAndHugeInputsFinish)
{
    std::string as(5000, 'a');
    EXPECT_EQ(psString_matchWithWildcards("*a*a*a*a*a*a*a*a*b", as.c_str(), 1, 1), 0);
    EXPECT_EQ(psString_matchWithWildcards("*a*a*a*a*a*a*a*a*a", as.c_str(), 1, 1), 1);
    EXPECT_EQ(psString_matchWithWildcards("*a|a|a|a|a|a|*b", as.c_str(), 3, 1), 0);
    EXPECT_EQ(psString_matchWithWildcardsPlus("*[ab,ba]*[ab,ba]*||b", as.c_str(), 3, 1), 0);

    const size_t huge = 100000;
    std::string stars(huge, '*'), bars(huge, '|'), text(huge, 'x');
    std::string starsB = stars + "b";
    EXPECT_EQ(psString_matchWithWildcards(stars.c_str(), text.c_str(), 1, 1), 1);
    EXPECT_EQ(psString_matchWithWildcards(starsB.c_str(), text.c_str(), 1, 1), 0);
    EXPECT_EQ(psString_matchWithWildcards(bars.c_str(), text.c_str(), 3, 1), 1);
    EXPECT_EQ(psString_matchWithWildcardsExtW(widen(bars).c_str(), widen(text).c_str(), 3, 1), 1);
    std::string barsY = bars + "y";
    EXPECT_EQ(psString_matchWithWildcardsPlus(barsY.c_str(), text.c_str(), 3, 1), 0);
    std::string mixed;
    for (size_t k = 0; k < huge / 2; ++k)
        mixed += "?*";
    EXPECT_EQ(psString_matchWithWildcards(mixed.c_str(), text.c_str(), 1, 1), 1);
}
