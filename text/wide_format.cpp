// Each conversion of the UTF-16 format is rebuilt as an 8-bit conversion
// with its width and precision made explicit and handed to vsnprintf-style
// formatting; text conversions are done here so that UTF-16 arguments pass
// through unchanged.
#include "text/wide_format.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
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

// One conversion of the format: what follows its '%'.
struct Conversion {
    std::string flags;
    bool left = false;
    int width = 0;
    int precision = -1;
    Length length = Length::None;
    const char* lengthText = "";
    char16_t conv = 0;

    // The 8-bit conversion with width and precision taken as arguments.
    std::string narrow() const { return "%" + flags + "*.*" + lengthText + char(conv); }
};

// A run of digits, its value held below 100000; the rest are passed over.
int readCount(const char16_t*& f)
{
    int value = 0;
    while (*f >= '0' && *f <= '9' && value < 100000)
        value = value * 10 + (*f++ - '0');
    while (*f >= '0' && *f <= '9')
        ++f;
    return value;
}

Length readLength(const char16_t*& f, const char** text)
{
    struct Form {
        const char16_t* spelled;
        Length length;
        const char* narrow;
    };
    // Longer spellings first; I32 is the plain int size.
    static const Form forms[] = {
        {u"hh", Length::hh, "hh"}, {u"h", Length::h, "h"},   {u"ll", Length::ll, "ll"},
        {u"l", Length::l, "l"},    {u"w", Length::l, "l"},   {u"I64", Length::ll, "ll"},
        {u"I32", Length::None, ""}, {u"j", Length::j, "j"},  {u"z", Length::z, "z"},
        {u"I", Length::z, "z"},    {u"t", Length::t, "t"},   {u"L", Length::L, "L"},
    };
    for (const Form& form : forms) {
        size_t n = 0;
        while (form.spelled[n] && f[n] == form.spelled[n])
            ++n;
        if (!form.spelled[n]) {
            f += n;
            *text = form.narrow;
            return form.length;
        }
    }
    *text = "";
    return Length::None;
}

// Reads the conversion after a '%' at F, taking '*' values from AP, and
// returns the position after it. CONV stays 0 when the format ends first.
const char16_t* readConversion(const char16_t* f, va_list* ap, Conversion* c)
{
    while (isFlag(*f))
        c->flags.push_back(char(*f++));
    c->left = c->flags.find('-') != std::string::npos;
    if (*f == '*') {
        c->width = va_arg(*ap, int);
        if (c->width < 0) {
            c->left = true;
            c->flags.push_back('-');
            c->width = -c->width;
        }
        ++f;
    } else {
        c->width = readCount(f);
    }
    if (*f == '.') {
        ++f;
        if (*f == '*') {
            c->precision = va_arg(*ap, int);
            ++f;
        } else {
            c->precision = readCount(f);
        }
    }
    c->length = readLength(f, &c->lengthText);
    c->conv = *f;
    return *f ? f + 1 : f;
}

bool emitSigned(std::u16string* out, const Conversion& c, va_list* ap)
{
    const std::string form = c.narrow();
    switch (c.length) {
    case Length::l: return appendNumber(out, form, c.width, c.precision, va_arg(*ap, long));
    case Length::ll: return appendNumber(out, form, c.width, c.precision, va_arg(*ap, long long));
    case Length::j: return appendNumber(out, form, c.width, c.precision, va_arg(*ap, intmax_t));
    case Length::z:
    case Length::t: return appendNumber(out, form, c.width, c.precision, va_arg(*ap, ptrdiff_t));
    default: return appendNumber(out, form, c.width, c.precision, va_arg(*ap, int));
    }
}

bool emitUnsigned(std::u16string* out, const Conversion& c, va_list* ap)
{
    const std::string form = c.narrow();
    switch (c.length) {
    case Length::l:
        return appendNumber(out, form, c.width, c.precision, va_arg(*ap, unsigned long));
    case Length::ll:
        return appendNumber(out, form, c.width, c.precision, va_arg(*ap, unsigned long long));
    case Length::j: return appendNumber(out, form, c.width, c.precision, va_arg(*ap, uintmax_t));
    case Length::z:
    case Length::t: return appendNumber(out, form, c.width, c.precision, va_arg(*ap, size_t));
    default: return appendNumber(out, form, c.width, c.precision, va_arg(*ap, unsigned));
    }
}

bool emitReal(std::u16string* out, const Conversion& c, va_list* ap)
{
    if (c.length == Length::L)
        return appendNumber(out, c.narrow(), c.width, c.precision, va_arg(*ap, long double));
    // Any other length means double.
    return appendNumber(out, "%" + c.flags + "*.*" + char(c.conv), c.width, c.precision,
                        va_arg(*ap, double));
}

void emitUnit(std::u16string* out, const Conversion& c, va_list* ap)
{
    int unit = va_arg(*ap, int);
    char16_t one[2] = {char16_t(c.length == Length::h ? (unsigned char)unit : unit), 0};
    if (one[0] != 0) {
        appendText(out, one, c.width, -1, c.left);
        return;
    }
    out->append(size_t(c.width > 1 ? c.width - 1 : 0), u' ');
    out->push_back(0);
}

bool emit(std::u16string* out, const Conversion& c, va_list* ap)
{
    switch (c.conv) {
    case 'd':
    case 'i': return emitSigned(out, c, ap);
    case 'u':
    case 'o':
    case 'x':
    case 'X': return emitUnsigned(out, c, ap);
    case 'e':
    case 'E':
    case 'f':
    case 'F':
    case 'g':
    case 'G':
    case 'a':
    case 'A': return emitReal(out, c, ap);
    case 'p': {
        char pointer[32];
        std::snprintf(pointer, sizeof pointer, "%p", va_arg(*ap, void*));
        appendText(out, pointer, c.width, -1, c.left);
        return true;
    }
    case 'c': emitUnit(out, c, ap); return true;
    case 's':
        if (c.length == Length::h)
            appendText(out, va_arg(*ap, const char*), c.width, c.precision, c.left);
        else
            appendText(out, va_arg(*ap, const char16_t*), c.width, c.precision, c.left);
        return true;
    case 'n': (void)va_arg(*ap, void*); return true;
    default:
        out->push_back(u'%');
        out->push_back(c.conv);
        return true;
    }
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
        Conversion c;
        f = readConversion(f, &ap, &c);
        if (!c.conv)
            break;
        ok = emit(out, c, &ap);
    }
    va_end(ap);
    return ok;
}

}  // namespace pelund
