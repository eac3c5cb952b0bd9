#include "platform/code_page.h"
#include "frame/utf.h"

#include <iconv.h>

#include <climits>
#include <string>
#include <cstring>
#include <cwchar>

namespace pelund {
namespace {

bool allAscii(const char* s, size_t n)
{
    for (size_t k = 0; k < n; ++k)
        if ((unsigned char)s[k] >= 0x80)
            return false;
    return true;
}

}  // namespace

std::u16string codePageToUtf16(const char* text)
{
    std::u16string out;
    if (!text)
        return out;
    size_t n = std::strlen(text);
    if (allAscii(text, n))  // every locale of the system extends ASCII
        return std::u16string(text, text + n);
    out.reserve(n);
    std::mbstate_t state{};
    for (size_t k = 0; k < n;) {
        wchar_t w;
        size_t used = std::mbrtowc(&w, text + k, n - k, &state);
        if (used == size_t(-1) || used == size_t(-2) || used == 0) {
            out.push_back(u'?');
            state = std::mbstate_t{};
            ++k;
            continue;
        }
        appendUtf16(out, char32_t(w), u'?');
        k += used;
    }
    return out;
}

std::string utf16ToCodePage(std::u16string_view text)
{
    std::string out;
    bool ascii = true;
    for (char16_t c : text)
        ascii = ascii && c < 0x80;
    if (ascii)
        return std::string(text.begin(), text.end());
    out.reserve(text.size());
    std::mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (size_t k = 0; k < text.size(); ++k) {
        bool lone;
        char32_t c = nextCodePoint(text, k, lone);
        if (lone) {
            out.push_back('?');
            continue;
        }
        size_t used = std::wcrtomb(bytes, wchar_t(c), &state);
        if (used == size_t(-1)) {
            out.push_back('?');
            state = std::mbstate_t{};
            continue;
        }
        out.append(bytes, used);
    }
    return out;
}


namespace {

std::u16string latin1(std::string_view bytes) { return std::u16string(bytes.begin(), bytes.end()); }

std::u16string fromUtf16le(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (size_t k = 0; k + 1 < bytes.size(); k += 2)
        out.push_back(char16_t((unsigned char)bytes[k] | ((unsigned char)bytes[k + 1] << 8)));
    return out;
}

std::string iconvName(unsigned codePage)
{
    switch (codePage) {
    case 10000:
        return "MACINTOSH";
    case 20127:
        return "ASCII";
    case 28591:
        return "ISO-8859-1";
    case 932:
        return "CP932";
    case 936:
        return "GBK";
    case 949:
        return "CP949";
    case 950:
        return "BIG5";
    default:
        return "CP" + std::to_string(codePage);
    }
}

}  // namespace

std::u16string windowsCodePageToUtf16(std::string_view bytes, unsigned codePage)
{
    if (codePage == 1200)
        return fromUtf16le(bytes);
    if (codePage == 65001)
        return utf8ToUtf16(bytes);
    if (allAscii(bytes.data(), bytes.size()))
        return latin1(bytes);
    iconv_t cd = iconv_open("UTF-16LE", iconvName(codePage).c_str());
    if (cd == iconv_t(-1))
        return latin1(bytes);
    std::string out(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* to = out.data();
    size_t outLeft = out.size();
    size_t rc = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    if (rc == size_t(-1))
        return latin1(bytes);
    out.resize(out.size() - outLeft);
    return fromUtf16le(out);
}

}  // namespace pelund
