#include "cli.h"
#include "listing.h"

#include "pelund/ranges.h"

#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace {

// The elements of a comma-separated LIST, blanks around them removed.
std::vector<std::string> elements(const std::string& list)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t end = list.find(',', start);
        std::string e = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        size_t first = e.find_first_not_of(" \t"), last = e.find_last_not_of(" \t");
        out.push_back(first == std::string::npos ? "" : e.substr(first, last - first + 1));
        if (end == std::string::npos)
            return out;
        start = end + 1;
    }
}

// A list of whole numbers and rising ranges from 0 up, such as "1-5, 7".
const CLI::Validator integerList(
    [](std::string& list) -> std::string {
        for (const std::string& e : elements(list))
            if (e.empty() || e[0] == '-' || !psString_isValidNumericRangeA(e.c_str(), 1, nullptr, nullptr, nullptr))
                return "'" + e + "' is not a number or a rising range of numbers from 0 up";
        return "";
    },
    "LIST", "integer list");

// A list of decimals and decimal ranges, such as "0.25, 1.5-2"; the
// library works on at most 511 characters of it.
const CLI::Validator decimalList(
    [](std::string& list) -> std::string {
        static const std::regex element(R"((\d+\.?\d*|\.\d+)\s*(-\s*(\d+\.?\d*|\.\d+))?)");
        if (list.size() > 511)
            return "the list is longer than 511 characters";
        for (const std::string& e : elements(list))
            if (!std::regex_match(e, element))
                return "'" + e + "' is not a decimal number or a range of them";
        return "";
    },
    "LIST", "decimal list");

struct RangeOptions {
    std::string list;
    int base = 0, count = 256;
    bool json = false;
};

struct DecimalOptions {
    std::string list;
    int precision = 2;
};

struct InListOptions {
    std::string list, value;
    int level = 3;
    bool ignoreCase = false;
};

// Lists the normalised integer list and its bit mask in hex, byte by byte
// (bit 0 is the lowest bit of the first byte).
int runRanges(const RangeOptions& o)
{
    if (o.base >= o.count)
        return cli::fail("--base " + std::to_string(o.base) + " must be below --count " +
                         std::to_string(o.count));
    std::vector<char> text(o.list.begin(), o.list.end());
    text.resize(o.list.size() + 16 + size_t(o.count) * 12, '\0');
    if (psStringFixed_listFormatNumericRangeA(text.data(), o.base, o.count) != 0)
        return cli::fail("the list could not be normalised");
    std::vector<unsigned char> mask((size_t(o.count) + 7) / 8);
    psString_buildBitMaskFromStringA(mask.data(), o.list.c_str(), int(mask.size()), o.base);
    std::string hex;
    for (unsigned char byte : mask) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", byte);
        hex += two;
    }
    cli::print({{"list", "mask"}, {{std::string(text.data()), hex}}}, o.json);
    return cli::success;
}

// Prints the decimal list sorted and without contained elements.
int runDecimals(const DecimalOptions& o)
{
    std::vector<char> text(o.list.begin(), o.list.end());
    text.resize(4096, '\0');
    psStringFixed_listFormatDoubleRangeA(text.data(), o.precision);
    std::printf("%s\n", text.data());
    return cli::success;
}

// Tests VALUE against a list of numbers, ranges and patterns such as
// "1-5, 10, A*".
int runInList(const InListOptions& o)
{
    int lower = 0, upper = 0, isRange = 0;
    int hit = psStringAsList_matchStringInAlphaNumericRangeA(
        o.list.c_str(), o.value.c_str(), o.level, " ", " ", nullptr, ",", "\"", &lower, &upper,
        &isRange, o.ignoreCase ? 0 : 1);
    if (hit && isRange)
        std::printf("in range %d-%d\n", lower, upper);
    else
        std::printf("%s\n", hit ? "in list" : "not in list");
    return hit ? cli::success : cli::negative;
}

}  // namespace

void addRangeCommands(CLI::App& app, int& status)
{
    auto r = std::make_shared<RangeOptions>();
    CLI::App* c = cli::addCommand(app, status, "ranges",
                                  "Normalise a whole-number list and show its bit mask",
                                  [r] { return runRanges(*r); });
    c->add_option("LIST", r->list, "numbers and ranges, such as 1-5,7")->required()->check(integerList);
    c->add_option("--base", r->base, "the value of bit 0")->capture_default_str()->check(CLI::Range(0, 1 << 20));
    c->add_option("--count", r->count, "the number of bits")->capture_default_str()->check(CLI::Range(1, 1 << 20));
    c->add_flag("--json", r->json, "print JSON");

    auto d = std::make_shared<DecimalOptions>();
    c = cli::addCommand(app, status, "decimals", "Sort a decimal list and drop contained elements",
                        [d] { return runDecimals(*d); });
    c->add_option("LIST", d->list, "decimals and ranges, such as 0.25, 1.5-2")->required()->check(decimalList);
    c->add_option("--precision", d->precision, "decimal places")->capture_default_str()->check(CLI::Range(0, 15));

    auto i = std::make_shared<InListOptions>();
    c = cli::addCommand(app, status, "in-list", "Test VALUE against numbers, ranges and patterns",
                        [i] { return runInList(*i); });
    c->add_option("LIST", i->list, "numbers, ranges and patterns, such as 1-5, 10, A*")->required();
    c->add_option("VALUE", i->value, "the value to test")->required();
    c->add_option("--level", i->level, "wildcard level 0 to 3")->capture_default_str()->check(CLI::Range(0, 3));
    c->add_flag("--ignore-case", i->ignoreCase, "compare letters without case");
}
