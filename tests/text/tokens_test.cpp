#include "pelund/tokens.h"

#include "tests/support/text.h"
#include "text/tokens.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using testing_support::widen;

struct Sets {
    const char* skip = nullptr;
    const char* trim = nullptr;
    const char* remove = nullptr;
    const char* separator = nullptr;
    const char* stop = nullptr;
    const char* quote = nullptr;
    int size = 0;
};

// Each call of the walk: the token and the count it returned.
using Steps = std::vector<std::pair<std::string, int>>;

// Calls the sized Ext form (every other form is a special case of it) from
// the start until it returns 0, in both widths; the two must agree.
Steps walk(const std::string& source, const Sets& s)
{
    Steps steps;
    std::vector<char> out(source.size() + 1);
    std::vector<char16_t> wout(source.size() + 1);
    std::u16string wsource = widen(source);
    auto w = [](const char* set) { return set ? widen(set) : std::u16string(); };
    std::u16string wskip = w(s.skip), wtrim = w(s.trim), wremove = w(s.remove),
                   wsep = w(s.separator), wstop = w(s.stop), wquote = w(s.quote);
    auto wp = [](const char* set, const std::u16string& ws) { return set ? ws.c_str() : nullptr; };
    size_t pos = 0;
    for (int guard = 0; guard < 100; ++guard) {
        int n = psString_getTokenSizedExtA(out.data(), source.c_str() + pos, s.skip, s.trim,
                                           s.remove, s.separator, s.stop, s.quote, s.size);
        int wn = psString_getTokenSizedExtW(wout.data(), wsource.c_str() + pos,
                                            wp(s.skip, wskip), wp(s.trim, wtrim),
                                            wp(s.remove, wremove), wp(s.separator, wsep),
                                            wp(s.stop, wstop), wp(s.quote, wquote), s.size);
        EXPECT_EQ(n, wn) << source;
        EXPECT_EQ(widen(out.data()), std::u16string(wout.data())) << source;
        steps.emplace_back(out.data(), n);
        if (n == 0)
            break;
        pos += size_t(n);
    }
    return steps;
}

}  // namespace

TEST(Tokens, Walks)
{
    struct Case {
        const char* source;
        Sets sets;
        Steps expected;
    } cases[] = {
        {"a,b,c", {.separator = ","}, {{"a", 2}, {"b", 2}, {"c", 1}, {"", 0}}},
        {"  key = value", {.skip = " ", .trim = " ", .separator = "="},
         {{"key", 7}, {"value", 6}, {"", 0}}},
        {"ab;cd", {.stop = ";"}, {{"ab", 2}, {"", 0}}},
        {"a-b-c", {.remove = "-"}, {{"abc", 5}, {"", 0}}},
        {"abcdef", {.size = 3}, {{"abc", 3}, {"def", 3}, {"", 0}}},
        {"|a,b|,c", {.separator = ",", .quote = "|"}, {{"a,b", 6}, {"c", 1}, {"", 0}}},
        // Quoting protects stops and removable characters too; trimming still
        // reaches into a quoted tail.
        {"|a;-b  |;x", {.trim = " ", .remove = "-", .stop = ";", .quote = "|"},
         {{"a;-b", 8}, {"", 0}}},
        {"|open,end", {.separator = ",", .quote = "|"}, {{"open,end", 9}, {"", 0}}},
        {"", {.separator = ","}, {{"", 0}}},
        {"   ", {.skip = " ", .separator = ","}, {{"", 3}, {"", 0}}},
        {"a,,b,", {.separator = ","}, {{"a", 2}, {"", 1}, {"b", 2}, {"", 0}}},
        // Separator is tested before stop, stop before remove.
        {"x;y", {.remove = ";", .separator = ";", .stop = ";"}, {{"x", 2}, {"y", 1}, {"", 0}}},
        {"x;y", {.remove = ";", .stop = ";"}, {{"x", 1}, {"", 0}}},
        // An empty set is no set.
        {"a,b", {.skip = "", .trim = "", .remove = "", .separator = "", .stop = ""},
         {{"a,b", 3}, {"", 0}}},
        // Size counts from the call's position and includes skipped text.
        {"  abcd", {.skip = " ", .size = 4}, {{"ab", 4}, {"cd", 2}, {"", 0}}},
        {"ab", {.separator = ",", .size = -1}, {{"ab", 2}, {"", 0}}},
        {"ab  ,", {.trim = " ", .separator = ","}, {{"ab", 5}, {"", 0}}},
        {"\xe9t\xe9,x", {.separator = ","}, {{"\xe9t\xe9", 4}, {"x", 1}, {"", 0}}},
        // Lists as users type them: blanks skipped and trimmed, a quote that
        // protects the separator, tokens longer than one 16-byte read.
        {"  alpha beta gamma delta ,x", {.skip = " ", .trim = " ", .separator = ",", .quote = "\""},
         {{"alpha beta gamma delta", 26}, {"x", 1}, {"", 0}}},
        {"a\"b,c\" d,e", {.skip = " ", .trim = " ", .separator = ",", .quote = "\""},
         {{"ab,c d", 9}, {"e", 1}, {"", 0}}},
        {"\" padded  \"  ,z", {.skip = " ", .trim = " ", .separator = ",", .quote = "\""},
         {{" padded", 14}, {"z", 1}, {"", 0}}},
        // One character in two sets: quote before separator before stop, and
        // skipping before all of them.
        {"a,b;c", {.separator = ",", .stop = ","}, {{"a", 2}, {"b;c", 3}, {"", 0}}},
        {"a,b,c", {.separator = ",", .quote = ","}, {{"abc", 5}, {"", 0}}},
        {", ,a", {.skip = " ,", .separator = ","}, {{"a", 4}, {"", 0}}},
        {"ab;cd,e", {.skip = " ", .separator = ",", .stop = ";"}, {{"ab", 2}, {"", 0}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(walk(c.source, c.sets), c.expected) << "source '" << c.source << "'";
}

TEST(Tokens, PlainFormsAreTheSizedFormsWithSizeZero)
{
    char out[32];
    EXPECT_EQ(psString_getTokenA(out, "  a b,c", " ", nullptr, " ", ",", nullptr), 6);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(psString_getTokenExtA(out, "'a,b',c", nullptr, nullptr, nullptr, ",", nullptr, "'"),
              6);
    EXPECT_STREQ(out, "a,b");
    char16_t wout[32];
    EXPECT_EQ(psString_getTokenW(wout, u"  a b,c", u" ", nullptr, u" ", u",", nullptr), 6);
    EXPECT_EQ(std::u16string(wout), u"ab");
    EXPECT_EQ(psString_getTokenExtW(wout, u"'a,b',c", nullptr, nullptr, nullptr, u",", nullptr,
                                    u"'"),
              6);
    EXPECT_EQ(std::u16string(wout), u"a,b");
}

TEST(Tokens, NullSourceLeavesOutputAndNullOutputOnlyCounts)
{
    char out[8] = "keep";
    EXPECT_EQ(psString_getTokenA(out, nullptr, nullptr, nullptr, nullptr, ",", nullptr), 0);
    EXPECT_STREQ(out, "keep");
    char16_t wout[8] = u"keep";
    EXPECT_EQ(psString_getTokenW(wout, nullptr, nullptr, nullptr, nullptr, u",", nullptr), 0);
    EXPECT_EQ(std::u16string(wout), u"keep");
    EXPECT_EQ(psString_getTokenA(nullptr, "abc,d", nullptr, nullptr, nullptr, ",", nullptr), 4);
}

TEST(Tokens, WideSetsWithUnitsAboveLatin1)
{
    char16_t out[16];
    // U+2022 as separator and U+00A0 as skip; U+0122 must not match 0x22.
    EXPECT_EQ(psString_getTokenW(out, u"\u00a0a\u0122\u2022b", u"\u00a0", nullptr, nullptr,
                                 u"\u2022\"", nullptr),
              4);
    EXPECT_EQ(std::u16string(out), u"a\u0122");
}

TEST(Tokens, LongListWalksInLinearSteps)
{
    std::string list;
    for (int i = 0; i < 20000; ++i)
        list += std::to_string(i) + ",";
    std::vector<char> out(16);
    size_t pos = 0;
    int count = 0;
    for (int n; (n = psString_getTokenA(out.data(), list.c_str() + pos, nullptr, nullptr, nullptr,
                                        ",", nullptr)) > 0;
         pos += size_t(n))
        ++count;
    EXPECT_EQ(count, 20000);
    EXPECT_EQ(pos, list.size());
}

namespace {

// A source read to its end takes a shorter road than one cut by a size;
// with the size set to what remains, both must give the same count and
// write the same bytes, at every output capacity. SOURCE is shorter than
// the work buffers.
void expectRoadsAgree(const char* source, const pelund::TokenSets<char>& sets)
{
    for (size_t capacity : {size_t(0), size_t(1), size_t(5), size_t(17), pelund::noLimit}) {
        size_t pos = 0;
        for (int guard = 0; guard < 200; ++guard) {
            const char* at = source + pos;
            char whole[128], sized[128];
            std::memset(whole, 'Z', sizeof whole);
            std::memset(sized, 'Z', sizeof sized);
            int n = pelund::getToken(whole, at, sets, 0, capacity);
            if (*at == 0) {
                // A size of 0 would mean the whole source again.
                ASSERT_EQ(n, 0) << "source '" << source << "'";
                ASSERT_TRUE(capacity == 0 || whole[0] == 0) << "source '" << source << "'";
                break;
            }
            int m = pelund::getToken(sized, at, sets, int(std::strlen(at)), capacity);
            ASSERT_EQ(n, m) << "source '" << source << "' at " << pos << ", capacity " << capacity;
            ASSERT_EQ(std::memcmp(whole, sized, sizeof whole), 0)
                << "source '" << source << "' at " << pos << ", capacity " << capacity;
            if (n == 0)
                break;
            pos += size_t(n);
        }
    }
}

}  // namespace

TEST(Tokens, WholeSourceRoadAgreesWithTheSizedOne)
{
    std::mt19937 rng(20261211);
    const char letters[] = "ab ,;\"-|x";
    const char* setChoices[] = {nullptr, "", ",", ";", " ", "\"", "-", ",;", " -", "\"|", "a,"};
    auto pick = [&] { return setChoices[rng() % std::size(setChoices)]; };
    for (int round = 0; round < 20000; ++round) {
        std::string source;
        for (int k = int(rng() % 12); k > 0; --k)
            source += letters[rng() % (sizeof letters - 1)];
        const char *skip = pick(), *trim = pick(), *remove = pick(), *sep = pick(),
                   *stop = pick(), *quote = pick();
        expectRoadsAgree(source.c_str(), {skip, trim, remove, sep, stop, quote});
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

// The whole-source road reads the text in aligned blocks: tokens that start
// and end at every place in a block and run across blocks, with one to five
// characters that end or interrupt them, against the sized road.
TEST(Tokens, WholeSourceRoadAgreesAcrossBlocks)
{
    std::mt19937 rng(20261212);
    const char letters[] = "abcd ,;\"-|xyz";
    const char* setChoices[] = {nullptr, ",", "\"", ",;", " -", ",;-|", ",;-| ", "\"|"};
    auto pick = [&] { return setChoices[rng() % std::size(setChoices)]; };
    alignas(16) char buffer[16 + 72];
    for (int round = 0; round < 20000; ++round) {
        size_t offset = size_t(round % 16);
        size_t length = rng() % 70;
        for (size_t k = 0; k < length; ++k)
            buffer[offset + k] = letters[rng() % (sizeof letters - 1)];
        buffer[offset + length] = 0;
        const char *skip = pick(), *trim = pick(), *remove = pick(), *sep = pick(),
                   *stop = pick(), *quote = pick();
        expectRoadsAgree(buffer + offset, {skip, trim, remove, sep, stop, quote});
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

namespace {

// The sets of a list as callers give them: at most one separator, stop and
// quote character, blanks skipped and trimmed, nothing removed. These take
// a road of their own when the source is read to its end.
pelund::TokenSets<char> pickListSets(std::mt19937& rng)
{
    const char* blanks[] = {nullptr, "", " ", " \t", "\t ,", "\""};
    const char* singles[] = {nullptr, "", ",", ";", "\"", " "};
    auto pick = [&](const auto& from) { return from[rng() % std::size(from)]; };
    return {pick(blanks), pick(blanks), nullptr, pick(singles), pick(singles), pick(singles)};
}

}  // namespace

// Tokens of every length from 0 to past two blocks, starting at every
// place in a block, with the list characters overlapping each other in
// every way the choices allow.
TEST(Tokens, ListRoadAgreesWithTheTableRoad)
{
    std::mt19937 rng(20261213);
    const char letters[] = "abcdefgh ,;\"\t";
    alignas(16) char buffer[16 + 100];
    for (int round = 0; round < 30000; ++round) {
        const size_t offset = size_t(round % 16);
        const size_t length = rng() % 90;
        // Mostly plain letters, so that runs grow long enough to cross
        // blocks.
        for (size_t k = 0; k < length; ++k) {
            size_t from = rng() % 4 ? 8 : sizeof letters - 1;
            buffer[offset + k] = letters[rng() % from];
        }
        buffer[offset + length] = 0;
        expectRoadsAgree(buffer + offset, pickListSets(rng));
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

// A short run is read 16 bytes at a time from where it starts; near the end
// of a page the read must stay inside it. Lists end on the last byte of a
// page whose successor cannot be read, at every distance from that end.
TEST(Tokens, ListsEndingAtAnUnreadablePage)
{
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    void* area =
        mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(area, MAP_FAILED);
    ASSERT_EQ(mprotect(static_cast<char*>(area) + page, page, PROT_NONE), 0);
    char* const end = static_cast<char*>(area) + page;
    std::mt19937 rng(20261214);
    const char letters[] = "abcd ,;\"\t";
    for (size_t length = 1; length < 48; ++length) {
        for (int round = 0; round < 40; ++round) {
            char* source = end - length - 1;
            for (size_t k = 0; k < length; ++k)
                source[k] = letters[rng() % (sizeof letters - 1)];
            source[length] = 0;
            pelund::TokenSets<char> sets = pickListSets(rng);
            expectRoadsAgree(source, sets);
            // Longer sets, read by the road that gathers them first.
            sets.remove = "-";
            sets.separator = ",;";
            expectRoadsAgree(source, sets);
            if (::testing::Test::HasFatalFailure()) {
                munmap(area, 2 * page);
                return;
            }
        }
    }
    munmap(area, 2 * page);
}
