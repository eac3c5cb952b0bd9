// UTF-8 on the command line, UTF-16 for the W functions.
#include "cli.h"

namespace cli {

std::u16string fromUtf8(const std::string& s)
{
    std::u16string out;
    for (size_t k = 0; k < s.size();) {
        unsigned char b = (unsigned char)s[k];
        int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        char32_t c = extra ? b & (0x3F >> extra) : b;
        size_t j = 1;
        for (; j <= size_t(extra) && k + j < s.size() && ((unsigned char)s[k + j] & 0xC0) == 0x80; ++j)
            c = (c << 6) | ((unsigned char)s[k + j] & 0x3F);
        if (j != size_t(extra) + 1)
            c = 0xFFFD, j = 1;
        k += j;
        if (c >= 0x10000) {
            out.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(char16_t(c));
        }
    }
    return out;
}

std::string toUtf8(const char16_t* s)
{
    std::string out;
    for (; s && *s; ++s) {
        char32_t c = *s;
        if (c >= 0xD800 && c <= 0xDBFF && s[1] >= 0xDC00 && s[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[1] - 0xDC00);
            ++s;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace cli
