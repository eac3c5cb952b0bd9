// The tokenizer on arbitrary text and sets, both widths: it must stay inside
// the source, write no more than the output holds, and always make progress
// until it reports 0; a whole source gives what the same text cut by a size
// gives.
#include "fuzz_input.h"
#include "pelund/tokens.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    int limit = int(data[0] % 16) - 2;
    FuzzInput in(data + 1, size - 1, 7);
    const std::string& source = in.fields[0];
    std::vector<char> out(source.size() + 1);
    size_t pos = 0;
    for (;;) {
        int n = psString_getTokenSizedExtA(out.data(), source.c_str() + pos, in.at(1), in.at(2),
                                           in.at(3), in.at(4), in.at(5), in.at(6), limit);
        if (n < 0 || size_t(n) > source.size() - pos)
            std::abort();
        // A whole source is read by its own road; cut to what remains by
        // a size it must give the same token.
        if (limit <= 0 && pos < source.size()) {
            std::vector<char> sized(source.size() + 1);
            int m = psString_getTokenSizedExtA(sized.data(), source.c_str() + pos, in.at(1),
                                               in.at(2), in.at(3), in.at(4), in.at(5), in.at(6),
                                               int(source.size() - pos));
            if (m != n || std::strcmp(sized.data(), out.data()) != 0)
                std::abort();
        }
        if (n == 0)
            break;
        pos += size_t(n);
    }
    std::u16string ws = in.wide(0), w1 = in.wide(1), w2 = in.wide(2), w3 = in.wide(3),
                   w4 = in.wide(4), w5 = in.wide(5), w6 = in.wide(6);
    std::vector<char16_t> wout(ws.size() + 1);
    pos = 0;
    for (;;) {
        int n = psString_getTokenSizedExtW(wout.data(), ws.c_str() + pos, w1.c_str(), w2.c_str(),
                                           w3.c_str(), w4.c_str(), w5.c_str(), w6.c_str(), limit);
        if (n < 0 || size_t(n) > ws.size() - pos)
            std::abort();
        if (n == 0)
            break;
        pos += size_t(n);
    }
    return 0;
}
