// The list and range parsers on arbitrary text: element checks, bit masks
// and the in-place normalisers (given the room their results can need), the
// mixed-list matcher and the list comparison.
#include "fuzz_input.h"
#include "pelund/lists.h"
#include "pelund/ranges.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    int base = int(data[0] % 40) - 4;
    int count = 1 + (data[1] | (data[2] & 0x0F) << 8);  // up to 4096 values
    int flags = data[3];
    FuzzInput in(data + 4, size - 4, 3);
    const char* text = in.at(0);

    int lower = flags & 1 ? 5 : 0, upper = flags & 2 ? 10 : 0, isRange = 0;
    (void)psString_isValidNumericRangeA(text, flags & 4, &lower, &upper, &isRange);
    std::u16string wide = in.wide(0);
    (void)psString_isValidNumericRangeW(wide.c_str(), 1, &lower, &upper, &isRange);

    unsigned char mask[64 + 8];
    std::memset(mask + 64, 0x5a, 8);
    int maskSize = flags % 65;
    (void)psString_buildBitMaskFromStringA(mask, text, maskSize, base);
    (void)psString_buildBitMaskFromStringW(mask, wide.c_str(), maskSize, base);
    for (int k = 64; k < 72; ++k)
        if (mask[k] != 0x5a)
            std::abort();

    size_t len = std::strlen(text);
    std::vector<char> list(std::max<size_t>(len + 1, 32768));
    std::memcpy(list.data(), text, len + 1);
    (void)psStringFixed_listFormatNumericRangeA(list.data(), base, count);
    std::memcpy(list.data(), text, len + 1);
    (void)psStringFixed_listFormatDoubleRangeA(list.data(), flags % 8);
    if (std::strlen(list.data()) > 511)
        std::abort();

    (void)psStringAsList_matchStringInAlphaNumericRangeA(text, in.at(1), flags % 5 - 1, " ", " ",
                                                         nullptr, ",;", "'", &lower, &upper,
                                                         &isRange, flags & 8);
    (void)psString_listsAreSame(text, in.at(1), ",", " ", flags & 16, flags & 32);
    (void)psStringAsList_findDoubleA(1.5, text, ",", 0.1);
    return 0;
}
