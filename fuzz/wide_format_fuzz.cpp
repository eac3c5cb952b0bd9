// The UTF-16 formatter against glibc's vswprintf on the same conversions and
// arguments. Each input is read as a list of conversions, each with its
// flags, width, precision, length and value; every one is formatted alone
// (between literal text) by both, and the results must be the same units.
//
// Where the two conventions differ by design the glibc format is adjusted:
// the formatter's %s and %c take UTF-16 (glibc's %ls and %lc), its %hs and
// %hc 8-bit text (glibc's %s and %c), and I64 means ll.
#include "text/wide_format.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool more() const { return at_ < size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint64_t word() {
        uint64_t v = 0;
        for (int k = 0; k < 8; ++k)
            v = v << 8 | byte();
        return v;
    }

private:
    const uint8_t* data_;
    size_t size_, at_ = 0;
};

bool ours(std::u16string* out, const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    bool ok = pelund::formatWide(out, format, args);
    va_end(args);
    return ok;
}

int theirs(std::wstring* out, const wchar_t* format, ...) {
    wchar_t buffer[4096];
    va_list args;
    va_start(args, format);
    int n = std::vswprintf(buffer, sizeof buffer / sizeof buffer[0], format, args);
    va_end(args);
    if (n >= 0)
        out->assign(buffer, size_t(n));
    return n;
}

// Calls both with the same arguments (up to two '*' values first).
template <class Ours, class Theirs>
void compare(const std::u16string& ourFormat, const std::wstring& theirFormat, int stars, int starA,
             int starB, Ours ourValue, Theirs theirValue) {
    std::u16string a;
    std::wstring b;
    bool ok;
    int n;
    switch (stars) {
        case 0:
            ok = ours(&a, ourFormat.c_str(), ourValue);
            n = theirs(&b, theirFormat.c_str(), theirValue);
            break;
        case 1:
            ok = ours(&a, ourFormat.c_str(), starA, ourValue);
            n = theirs(&b, theirFormat.c_str(), starA, theirValue);
            break;
        default:
            ok = ours(&a, ourFormat.c_str(), starA, starB, ourValue);
            n = theirs(&b, theirFormat.c_str(), starA, starB, theirValue);
            break;
    }
    if (n < 0)
        return;  // beyond glibc's buffer or its character conversion
    bool same = ok && a.size() == b.size();
    for (size_t k = 0; same && k < a.size(); ++k)
        same = wchar_t(a[k]) == b[k];
    if (!same) {
        auto shown = [](auto text) {
            std::string s;
            for (auto c : text)
                s += c >= 0x20 && c < 0x7F ? char(c) : '?';
            return s;
        };
        std::fprintf(stderr, "format %s: ours '%s', glibc '%s'\n", shown(theirFormat).c_str(),
                     shown(a).c_str(), shown(b).c_str());
        std::abort();
    }
}

// Text units that both sides write unchanged: no NUL, no surrogate.
char16_t unitFrom(uint8_t a, uint8_t b) {
    char16_t u = char16_t(a | b << 8);
    if (u == 0 || (u >= 0xD800 && u <= 0xDFFF))
        u = char16_t('a' + a % 26);
    return u;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);
    static const char conversions[] = "diuoxXeEfFgGaAcs%";
    static const char* const lengths[] = {"", "hh", "h", "l", "ll", "j", "z", "t", "L", "I64", "w"};
    static const char flagChars[] = "-+ #0";
    for (int round = 0; round < 16 && in.more(); ++round) {
        char conv = conversions[in.byte() % (sizeof conversions - 1)];
        std::string flags;
        for (uint8_t f = in.byte(), k = 0; k < 5; ++k)
            if (f >> k & 1)
                flags += flagChars[k];
        uint8_t shape = in.byte();
        int stars = 0, starA = 0, starB = 0;
        std::string width, precision;
        if (shape & 1) {
            width = "*";
            starA = int(int8_t(in.byte())) * 2;
            ++stars;
        } else if (shape & 2) {
            width = std::to_string(in.byte() % 120);
        }
        if (shape & 4) {
            if (shape & 8) {
                precision = ".*";
                (stars ? starB : starA) = int(int8_t(in.byte())) * 2;
                ++stars;
            } else {
                precision = "." + std::to_string(in.byte() % 120);
            }
        }
        std::string length = lengths[(shape >> 4) % (sizeof lengths / sizeof lengths[0])];
        // Lengths that the conversion takes; others are dropped.
        bool integer = std::strchr("diuoxX", conv) != nullptr;
        bool real = std::strchr("eEfFgGaA", conv) != nullptr;
        bool text = conv == 'c' || conv == 's';
        if ((integer && (length == "L" || length == "w")) ||
            (real && length != "L" && length != "") ||
            (text && length != "h" && length != "l" && length != "w" && length != "") ||
            conv == '%')
            length.clear();
        if (conv == '%') {
            flags.clear(), width.clear(), precision.clear(), stars = 0;
        }
        std::string ourSpec = "%" + flags + width + precision + length + conv;
        std::string theirLength = length == "I64" ? "ll" : length;
        if (text)
            theirLength = length == "h" ? "" : "l";
        std::string theirSpec = "%" + flags + width + precision + theirLength + conv;

        std::u16string literal;
        for (uint8_t k = 0, n = in.byte() % 4; k < n; ++k) {
            char16_t u = unitFrom(in.byte(), in.byte() % 4 ? 0 : in.byte());
            literal += u == '%' ? u'-' : u;
        }
        std::u16string ourFormat = literal;
        std::wstring theirFormat(literal.begin(), literal.end());
        for (char c : ourSpec)
            ourFormat += char16_t(c);
        for (char c : theirSpec)
            theirFormat += wchar_t(c);
        ourFormat += u"|";
        theirFormat += L"|";

        uint64_t bits = in.word();
        if (integer) {
            if (length == "ll" || length == "I64" || length == "j")
                compare(ourFormat, theirFormat, stars, starA, starB, (long long)bits,
                        (long long)bits);
            else if (length == "l" || length == "z" || length == "t")
                compare(ourFormat, theirFormat, stars, starA, starB, (long)bits, (long)bits);
            else
                compare(ourFormat, theirFormat, stars, starA, starB, int(bits), int(bits));
        } else if (real) {
            double v;
            std::memcpy(&v, &bits, sizeof v);
            if (length == "L")
                compare(ourFormat, theirFormat, stars, starA, starB, (long double)v,
                        (long double)v);
            else
                compare(ourFormat, theirFormat, stars, starA, starB, v, v);
        } else if (conv == 'c') {
            if (length == "h") {
                int c = 0x20 + int(bits % 0x5F);  // glibc's %c goes through the locale
                compare(ourFormat, theirFormat, stars, starA, starB, c, c);
            } else {
                char16_t u = unitFrom(uint8_t(bits), uint8_t(bits >> 8));
                compare(ourFormat, theirFormat, stars, starA, starB, int(u), wint_t(u));
            }
        } else if (conv == 's') {
            size_t n = bits % 24;
            if (length == "h") {
                std::string narrow;
                for (size_t k = 0; k < n; ++k)
                    narrow += char(0x20 + in.byte() % 0x5F);
                compare(ourFormat, theirFormat, stars, starA, starB, narrow.c_str(),
                        narrow.c_str());
            } else {
                std::u16string wide;
                for (size_t k = 0; k < n; ++k)
                    wide += unitFrom(in.byte(), in.byte());
                std::wstring same(wide.begin(), wide.end());
                compare(ourFormat, theirFormat, stars, starA, starB, wide.c_str(), same.c_str());
            }
        } else {
            compare(ourFormat, theirFormat, 0, 0, 0, 0, 0);
        }
    }
    return 0;
}
