// Each conversion of the UTF-16 format is rebuilt as an 8-bit conversion
// with its width and precision made explicit and handed to vsnprintf-style
// formatting; text conversions are done here so that UTF-16 arguments pass
// through unchanged.
#include "text/wide_format.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <type_traits>

namespace pelund {
namespace {

enum class Length { None, hh, h, l, ll, j, z, t, L };

bool isFlag(char16_t c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }

template <class T>
bool appendNumber(std::u16string* out, const std::string& narrowFormat, int width, int precision, T value)
{
    char buffer[512];
    int n = std::snprintf(buffer, sizeof buffer, narrowFormat.c_str(), width, precision, value);
    if (n < 0)
        return false;
    if (size_t(n) < sizeof buffer) {
        out->append(buffer, buffer + n);
        return true;
    }
    std::string big(size_t(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), narrowFormat.c_str(), width, precision, value);
    out->append(big.begin(), big.begin() + n);
    return true;
}

template <class Ch>
void appendText(std::u16string* out, const Ch* text, int width, int precision, bool left)
{
    if (!text) {
        static const char nullText[] = "(null)";
        appendText(out, nullText, width, precision, left);
        return;
    }
    size_t n = 0;
    while (text[n] && (precision < 0 || n < size_t(precision)))
        ++n;
    size_t pad = width > 0 && size_t(width) > n ? size_t(width) - n : 0;
    if (!left)
        out->append(pad, u' ');
    for (size_t k = 0; k < n; ++k)
        out->push_back(char16_t(std::make_unsigned_t<Ch>(text[k])));
    if (left)
        out->append(pad, u' ');
}

}  // namespace

bool formatWide(std::u16string* out, const char16_t* format, va_list args)
{
    va_list ap;
    va_copy(ap, args);
    out->clear();
    bool ok = true;
    for (const char16_t* f = format; *f && ok;) {
        if (*f != '%') {
            out->push_back(*f++);
            continue;
        }
        ++f;
        if (*f == '%') {
            out->push_back(u'%');
            ++f;
            continue;
        }
        std::string flags;
        while (isFlag(*f))
            flags.push_back(char(*f++));
        bool left = flags.find('-') != std::string::npos;
        int width = 0;
        if (*f == '*') {
            width = va_arg(ap, int);
            if (width < 0) {
                left = true;
                flags.push_back('-');
                width = -width;
            }
            ++f;
        } else {
            while (*f >= '0' && *f <= '9' && width < 100000)
                width = width * 10 + (*f++ - '0');
            while (*f >= '0' && *f <= '9')
                ++f;
        }
        int precision = -1;
        if (*f == '.') {
            ++f;
            precision = 0;
            if (*f == '*') {
                precision = va_arg(ap, int);
                ++f;
            } else {
                while (*f >= '0' && *f <= '9' && precision < 100000)
                    precision = precision * 10 + (*f++ - '0');
                while (*f >= '0' && *f <= '9')
                    ++f;
            }
        }
        Length length = Length::None;
        const char* lengthText = "";
        if (f[0] == 'h' && f[1] == 'h') {
            length = Length::hh, lengthText = "hh", f += 2;
        } else if (f[0] == 'h') {
            length = Length::h, lengthText = "h", ++f;
        } else if (f[0] == 'l' && f[1] == 'l') {
            length = Length::ll, lengthText = "ll", f += 2;
        } else if (f[0] == 'l' || f[0] == 'w') {
            length = Length::l, lengthText = "l", ++f;
        } else if (f[0] == 'I' && f[1] == '6' && f[2] == '4') {
            length = Length::ll, lengthText = "ll", f += 3;
        } else if (f[0] == 'I' && f[1] == '3' && f[2] == '2') {
            f += 3;
        } else if (f[0] == 'j') {
            length = Length::j, lengthText = "j", ++f;
        } else if (f[0] == 'z' || f[0] == 'I') {
            length = Length::z, lengthText = "z", ++f;
        } else if (f[0] == 't') {
            length = Length::t, lengthText = "t", ++f;
        } else if (f[0] == 'L') {
            length = Length::L, lengthText = "L", ++f;
        }
        char16_t conv = *f;
        if (!conv)
            break;
        ++f;
        std::string narrowFormat = "%" + flags + "*.*" + lengthText + char(conv);
        switch (conv) {
        case 'd':
        case 'i':
            switch (length) {
            case Length::l: ok = appendNumber(out, narrowFormat, width, precision, va_arg(ap, long)); break;
            case Length::ll:
                ok = appendNumber(out, narrowFormat, width, precision, va_arg(ap, long long));
                break;
            case Length::j:
                ok = appendNumber(out, narrowFormat, width, precision, va_arg(ap, intmax_t));
                break;
            case Length::z:
                ok = appendNumber(out, narrowFormat, width, precision, va_arg(ap, ptrdiff_t));
                break;
            case Length::t:
                ok = appendNumber(out, narrowFormat, width, precision, va_arg(ap, ptrdiff_t));
                break;
            default: ok = appendNumber(out, narrowFormat, width, precision, va_arg(ap, int)); break;
            }
            break;
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            switch (length) {
            case Length::l:
                ok = appendNumber(out, narrowFormat, width, precision, va_arg(ap, unsigned long));
                break;
            case Length::ll:
                ok = appendNumber(out, narrowFormat, width, precision, va_arg(ap, unsigned long long));
                break;
            case Length::j:
                ok = appendNumber(out, narrowFormat, width, precision, va_arg(ap, uintmax_t));
                break;
            case Length::z:
            case Length::t:
                ok = appendNumber(out, narrowFormat, width, precision, va_arg(ap, size_t));
                break;
            default: ok = appendNumber(out, narrowFormat, width, precision, va_arg(ap, unsigned)); break;
            }
            break;
        case 'e':
        case 'E':
        case 'f':
        case 'F':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            if (length == Length::L)
                ok = appendNumber(out, narrowFormat, width, precision, va_arg(ap, long double));
            else
                ok = appendNumber(out, "%" + flags + "*.*" + char(conv), width, precision,
                                  va_arg(ap, double));
            break;
        case 'p': {
            char pointer[32];
            std::snprintf(pointer, sizeof pointer, "%p", va_arg(ap, void*));
            appendText(out, pointer, width, -1, left);
            break;
        }
        case 'c': {
            int unit = va_arg(ap, int);
            char16_t one[2] = {char16_t(length == Length::h ? (unsigned char)unit : unit), 0};
            if (one[0] == 0) {
                out->append(size_t(width > 1 ? width - 1 : 0), u' ');
                out->push_back(0);
            } else {
                appendText(out, one, width, -1, left);
            }
            break;
        }
        case 's':
            if (length == Length::h)
                appendText(out, va_arg(ap, const char*), width, precision, left);
            else
                appendText(out, va_arg(ap, const char16_t*), width, precision, left);
            break;
        case 'n':
            (void)va_arg(ap, void*);
            break;
        default:
            out->push_back(u'%');
            out->push_back(conv);
            break;
        }
    }
    va_end(ap);
    return ok;
}

}  // namespace pelund
