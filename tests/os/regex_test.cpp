#include "pelund/regex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Pattern {
    void* handle;
    explicit Pattern(const char* text, int caseless = 0) : handle(psRegex_create(text, caseless, 0, nullptr)) {}
    ~Pattern() { psRegex_destroy(handle); }
};

}  // namespace

TEST(Regex, MatchesAnywhereUnlessAnchored)
{
    struct Case {
        const char* pattern;
        int caseless;
        const char* subject;
        int match;
    } cases[] = {
        {"abc", 1, "xxABCxx", 1},
        {"abc", 0, "xxABCxx", 0},
        {"^abc", 0, "abcx", 1},
        {"^abc", 0, "xabc", 0},
        {"b", 0, "abc", 1},
        {"^$", 0, "", 1},
        {"x*", 0, "", 1},
        {"a+", 0, "", 0},
        {"caf\xc3\xa9$", 0, "un caf\xc3\xa9", 1},
        {"^.{4}$", 0, "caf\xc3\xa9", 1},                  // UTF mode: the accent is one character
        {"\xc3\x89T\xc3\x89", 1, "\xc3\xa9t\xc3\xa9", 1},  // and has a case
        {"a", 0, "a\xff", 0},                              // not UTF-8: never matches
        {"(a)(b)(c)(d)", 0, "xabcd", 1},                   // more groups than the match block holds
    };
    for (const Case& c : cases) {
        Pattern p(c.pattern, c.caseless);
        ASSERT_NE(p.handle, nullptr) << c.pattern;
        EXPECT_EQ(psRegex_matchString(p.handle, c.subject), c.match) << c.pattern << " / " << c.subject;
    }
}

TEST(Regex, WideSubjectsAreMatchedAsUtf8)
{
    Pattern p("^caf\xc3\xa9 \xe2\x82\xac$");
    EXPECT_EQ(psRegex_matchStringW(p.handle, u"caf\u00e9 \u20ac"), 1);
    EXPECT_EQ(psRegex_matchStringW(p.handle, u"cafe \u20ac"), 0);
    Pattern any("^.$");
    EXPECT_EQ(psRegex_matchStringW(any.handle, u"\U0001F600"), 1);
    EXPECT_EQ(psRegex_matchStringW(nullptr, u"x"), 0);
    EXPECT_EQ(psRegex_matchStringW(any.handle, nullptr), 0);
}

TEST(Regex, InvalidPatternsSayWhy)
{
    char error[256] = "";
    EXPECT_EQ(psRegex_create("(abc", 0, 0, error), nullptr);
    EXPECT_NE(std::string(error).find("parenthesis"), std::string::npos) << error;
    EXPECT_EQ(psRegex_create("a\xff", 0, 0, error), nullptr);  // the pattern itself is not UTF-8
    EXPECT_EQ(psRegex_create(nullptr, 0, 0, error), nullptr);
    EXPECT_EQ(psRegex_create("(", 0, 0, nullptr), nullptr);
    EXPECT_EQ(psRegex_matchString(nullptr, "x"), 0);
    psRegex_destroy(nullptr);
}

TEST(Regex, OnePatternServesSeveralThreads)
{
    Pattern p("^part-[0-9]+\\.dgn$", 1);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int k = 0; k < 20000; ++k) {
                std::string name = "PART-" + std::to_string(k * 4 + t) + (k % 2 ? ".dgn" : ".dwg");
                if (psRegex_matchString(p.handle, name.c_str()) != (k % 2))
                    ++wrong;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(wrong, 0);
}
