#include "frame/utf.h"

namespace pelund {

// The code point at TEXT[K], K advanced past a surrogate pair; a lone
// surrogate gives none.
char32_t nextCodePoint(std::u16string_view text, size_t& k, bool& lone)
{
    char32_t c = text[k];
    lone = false;
    if (c >= 0xD800 && c <= 0xDBFF && k + 1 < text.size() && text[k + 1] >= 0xDC00 &&
        text[k + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[k + 1] - 0xDC00);
        ++k;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
        lone = true;
    }
    return c;
}

std::string utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t k = 0; k < text.size(); ++k) {
        bool lone;
        char32_t c = nextCodePoint(text, k, lone);
        if (lone)
            c = U'?';
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

void appendUtf16(std::u16string& out, char32_t c, char16_t replacement)
{
    if (c >= 0x10000 && c <= 0x10FFFF) {
        c -= 0x10000;
        out.push_back(char16_t(0xD800 + (c >> 10)));
        out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
    } else if (c < 0x10000 && !(c >= 0xD800 && c <= 0xDFFF)) {
        out.push_back(char16_t(c));
    } else {
        out.push_back(replacement);
    }
}

char32_t utf16CodePointAt(std::u16string_view text, size_t& k)
{
    bool lone;
    char32_t c = nextCodePoint(text, k, lone);
    return lone ? U'\uFFFD' : c;
}

std::u16string utf8ToUtf16(std::string_view text, bool* valid)
{
    std::u16string out;
    out.reserve(text.size());
    if (valid)
        *valid = true;
    for (size_t k = 0; k < text.size();) {
        unsigned char b = (unsigned char)text[k];
        int extra = b < 0x80 ? 0 : b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2
                  : b >= 0xF0 && b <= 0xF4 ? 3 : -1;
        char32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
        bool ok = extra >= 0;
        for (int j = 1; ok && j <= extra; ++j) {
            if (k + j >= text.size() || ((unsigned char)text[k + j] & 0xC0) != 0x80)
                ok = false;
            else
                c = (c << 6) | ((unsigned char)text[k + j] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if (ok && ((extra == 2 && c < 0x800) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)) ||
                   (c >= 0xD800 && c <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out.push_back(u'\uFFFD');
            if (valid)
                *valid = false;
            ++k;
            continue;
        }
        appendUtf16(out, c);
        k += size_t(extra) + 1;
    }
    return out;
}

}  // namespace pelund
