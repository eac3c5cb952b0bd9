#include "cli.h"

#include "pelund/ranges.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Prints the normalised integer list, then its bit mask in hex, byte by byte
// (bit 0 is the lowest bit of the first byte).
int cmdRanges(const cli::Args& args)
{
    if (args.positional.size() != 1)
        return cli::usageError("ranges LIST [--base B --count N]");
    int base = std::atoi(args.get("base", "0").c_str());
    int count = std::atoi(args.get("count", "256").c_str());
    const std::string& list = args.positional[0];
    std::vector<char> text(list.begin(), list.end());
    text.resize(list.size() + 16 + size_t(count > 0 ? count : 0) * 12, '\0');
    if (psStringFixed_listFormatNumericRangeA(text.data(), base, count) != 0) {
        std::fprintf(stderr, "pelund: base must lie from 0 to below the count\n");
        return 1;
    }
    std::printf("%s\n", text.data());
    std::vector<unsigned char> mask((size_t(count) + 7) / 8);
    psString_buildBitMaskFromStringA(mask.data(), list.c_str(), int(mask.size()), base);
    std::printf("mask ");
    for (unsigned char byte : mask)
        std::printf("%02x", byte);
    std::printf("\n");
    return 0;
}

// Prints the decimal list sorted and without contained elements.
int cmdDecimals(const cli::Args& args)
{
    if (args.positional.size() != 1)
        return cli::usageError("decimals LIST [--precision P]");
    int precision = std::atoi(args.get("precision", "2").c_str());
    std::vector<char> text(args.positional[0].begin(), args.positional[0].end());
    text.resize(std::max<size_t>(text.size() + 1, 1024), '\0');
    psStringFixed_listFormatDoubleRangeA(text.data(), precision);
    std::printf("%s\n", text.data());
    return 0;
}

// Tests VALUE against a list of numbers, ranges and patterns such as
// "1-5, 10, A*"; exits 0 when it fits.
int cmdInList(const cli::Args& args)
{
    if (args.positional.size() != 2)
        return cli::usageError("in-list LIST VALUE [--level N] [--ignore-case]");
    int level = std::atoi(args.get("level", "3").c_str());
    int lower = 0, upper = 0, isRange = 0;
    int hit = psStringAsList_matchStringInAlphaNumericRangeA(
        args.positional[0].c_str(), args.positional[1].c_str(), level, " ", " ", nullptr, ",",
        "\"", &lower, &upper, &isRange, args.has("ignore-case") ? 0 : 1);
    if (hit && isRange)
        std::printf("in range %d-%d\n", lower, upper);
    else
        std::printf("%s\n", hit ? "in list" : "not in list");
    return hit ? 0 : 1;
}
