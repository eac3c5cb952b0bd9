// The matchers and the rewriting tools on arbitrary patterns, strings and
// templates: no crash, no report, and outputs stay in their 512 characters.
#include "fuzz_input.h"
#include "pelund/wildcards.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    int level = int(data[0] % 6) - 1;
    int cs = data[1] & 1;
    FuzzInput in(data + 2, size - 2, 3);
    const char* pattern = in.at(0);
    const char* text = in.at(1);
    const char* templ = in.at(2);

    int a = psString_matchWithWildcards(pattern, text, level, cs);
    int b = psString_matchWithWildcardsExtA(pattern, text, level, cs);
    if (a != b)
        std::abort();
    std::u16string wp = in.wide(0), wt = in.wide(1);
    (void)psString_matchWithWildcardsExtW(wp.c_str(), wt.c_str(), level, cs);
    (void)psString_matchWithWildcardsPlus(pattern, text, level, cs);

    char out[512 + 16];
    std::memset(out, 0x5a, sizeof out);
    char* pos = nullptr;
    (void)psString_expandFirstWildcard(out, pattern, text, &pos, level);
    if (std::strlen(out) > 511 || out[512] != 0x5a)
        std::abort();
    if (pos && (pos < text || pos > text + std::strlen(text)))
        std::abort();
    std::memset(out, 0x5a, sizeof out);
    (void)psString_replaceWithWildcards(text, out, pattern, templ, level);
    if (std::strlen(out) > 511 || out[512] != 0x5a)
        std::abort();
    (void)psString_findSubStringWithWildcards(text, pattern, level);
    int offset = 0;
    (void)psString_matchWithWildcardsSubStringLen(pattern, &offset);
    return 0;
}
