// Library-owned file streams over std::fstream and std::wfstream.
//
// Line reading works on the stream buffer directly so that one rule serves
// both widths: the limit counts units of the caller's buffer (a character
// beyond U+FFFF takes two in a wide stream), and the states are set the way
// std::istream::getline sets them.
#include "pelund/file_streams.h"

#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <string>

#include "frame/guard.h"
#include "frame/text_forms.h"
#include "frame/utf.h"
#include "platform/user_locale.h"
#include "text/narrow_format.h"
#include "text/wide_format.h"

namespace pelund {
namespace {

constexpr uint32_t kStreamTag = 0x5053464Cu;  // marks a live stream object

struct Stream {
    uint32_t tag = kStreamTag;
    bool wide = false;
    std::fstream narrow;
    std::wfstream widef;
    char16_t pendingLow = 0;  // second unit of a character fgetwc split

    std::ios_base::iostate state() const { return wide ? widef.rdstate() : narrow.rdstate(); }
};

Stream* streamOf(void* handle)
{
    auto* s = static_cast<Stream*>(handle);
    return s && s->tag == kStreamTag ? s : nullptr;
}

std::fstream* narrowOf(void* handle)
{
    Stream* s = streamOf(handle);
    return s && !s->wide ? &s->narrow : nullptr;
}

Stream* wideOf(void* handle)
{
    Stream* s = streamOf(handle);
    return s && s->wide ? s : nullptr;
}

// The letters are looked for anywhere; false when none of r, w, a is there.
template <class Ch>
bool openModeOf(const Ch* mode, std::ios_base::openmode& out)
{
    bool r = false, w = false, a = false, plus = false, b = false;
    for (const Ch* p = mode; *p; ++p) {
        r |= *p == 'r';
        w |= *p == 'w';
        a |= *p == 'a';
        plus |= *p == '+';
        b |= *p == 'b';
    }
    using std::ios_base;
    if (r)
        out = plus ? ios_base::in | ios_base::out : ios_base::in;
    else if (w)
        out = plus ? ios_base::in | ios_base::out | ios_base::trunc : ios_base::out | ios_base::trunc;
    else if (a)
        out = plus ? ios_base::in | ios_base::app : ios_base::app;
    else
        return false;
    if (b)
        out |= ios_base::binary;
    return true;
}

// The global locale of the moment: the C++ one when a program set it, else
// the character type of the C locale (what setlocale chose).
std::locale openLocale()
{
    std::locale global;
    if (global != std::locale::classic())
        return global;
    const char* name = characterTypeLocale();
    if (!name || !std::strcmp(name, "C") || !std::strcmp(name, "POSIX"))
        return global;
    try {
        return std::locale(global, name, std::locale::ctype);
    } catch (...) {
        return global;
    }
}

int openStream(void** handle, const std::string& path, std::ios_base::openmode mode, bool wide)
{
    auto s = std::make_unique<Stream>();
    s->wide = wide;
    if (wide) {
        s->widef.imbue(openLocale());
        s->widef.open(path, mode);
        if (!s->widef.is_open())
            return PS_FAILURE;
    } else {
        s->narrow.open(path, mode);
        if (!s->narrow.is_open())
            return PS_FAILURE;
    }
    // Appending writes at the end: start there, so that positions and the
    // advance a write reports are those of the file.
    if ((mode & std::ios_base::app) && wide)
        s->widef.seekg(0, std::ios_base::end);
    else if (mode & std::ios_base::app)
        s->narrow.seekg(0, std::ios_base::end);
    *handle = s.release();
    return PS_SUCCESS;
}

int closeStream(void** handle)
{
    if (!handle)
        return 0;
    Stream* s = streamOf(*handle);
    if (s) {
        s->tag = 0;
        delete s;
    }
    *handle = nullptr;
    return 0;
}

template <class Ch>
int32_t positionOf(std::basic_iostream<Ch>& s)
{
    auto p = s.tellg();
    return p == std::streampos(-1) ? -1 : int32_t(std::streamoff(p));
}

// Writes with BODY and reports how far the position moved; nothing on a
// stream whose position cannot be told (end of file or failed).
template <class Ch, class F>
int32_t advanceOf(std::basic_iostream<Ch>& s, F&& body)
{
    int32_t before = positionOf(s);
    if (before < 0)
        return 0;
    body();
    int32_t after = positionOf(s);
    return after < before ? 0 : after - before;
}

// The shared line rule. STORE(c) keeps character C and returns false when it
// does not fit in the LIMIT units left; WIDTH(c) is its size in units.
template <class Ch, class Width, class Store>
bool readLine(std::basic_iostream<Ch>& s, size_t limit, Width width, Store store, bool& endedByLf)
{
    using Traits = std::char_traits<Ch>;
    endedByLf = false;
    if (!s.good()) {
        s.setstate(std::ios_base::failbit);
        return false;
    }
    auto* sb = s.rdbuf();
    size_t used = 0;
    bool taken = false;
    try {
        for (;;) {
            auto c = sb->sgetc();
            if (Traits::eq_int_type(c, Traits::eof())) {
                s.setstate(taken ? std::ios_base::eofbit : std::ios_base::eofbit | std::ios_base::failbit);
                break;
            }
            taken = true;
            Ch ch = Traits::to_char_type(c);
            if (ch == Ch('\n')) {
                sb->sbumpc();
                endedByLf = true;
                break;
            }
            size_t w = width(ch);
            if (used + w > limit) {
                s.setstate(std::ios_base::failbit);
                break;
            }
            store(ch);
            used += w;
            sb->sbumpc();
        }
    } catch (...) {  // a byte sequence the locale cannot convert
        s.setstate(std::ios_base::badbit);
    }
    return taken;
}

char* readNarrowLine(char* buffer, int size, void* handle, int reserve, bool keepLineEnd)
{
    std::fstream* s = narrowOf(handle);
    if (!s || !buffer)
        return buffer;
    if (size < reserve)
        return nullptr;
    size_t n = 0;
    bool lf;
    bool taken = readLine(
        *s, size_t(size - reserve), [](char) { return size_t(1); },
        [&](char c) { buffer[n++] = c; }, lf);
    if (!taken)
        return nullptr;
    if (keepLineEnd && lf)
        buffer[n++] = '\n';
    buffer[n] = '\0';
    return buffer;
}

std::wstring toWchars(std::u16string_view text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t k = 0; k < text.size(); ++k)
        out.push_back(wchar_t(utf16CodePointAt(text, k)));
    return out;
}

template <class Ch, class F>
void writeChars(std::basic_iostream<Ch>& s, F&& body)
{
    try {
        body();
    } catch (...) {
        s.setstate(std::ios_base::badbit);
    }
}

int printNarrow(void* handle, const char* format, va_list args)
{
    if (!format)
        return PS_FAILURE;
    std::fstream* s = narrowOf(handle);
    if (!s)
        return 0;
    std::string text;
    if (!formatNarrow(&text, format, args))
        return PS_FAILURE;
    s->write(text.data(), std::streamsize(text.size()));
    return 0;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psWinAPI_fopen(void** handle, const char* path, const char* mode)
{
    return guarded(PS_FAILURE, [&] {
        std::ios_base::openmode m;
        if (!handle || !path || !mode || !openModeOf(mode, m))
            return PS_FAILURE;
        return openStream(handle, path, m, false);
    });
}

PELUND_API int psWinAPI_wfopen(void** handle, const ps_char16* path, const ps_char16* mode)
{
    return guarded(PS_FAILURE, [&] {
        std::ios_base::openmode m;
        if (!handle || !path || !mode || !openModeOf(mode, m))
            return PS_FAILURE;
        return openStream(handle, utf16ToUtf8(path), m, true);
    });
}

PELUND_API int psWinAPI_fclose(void** handle) { return guarded(0, [&] { return closeStream(handle); }); }
PELUND_API int psWinAPI_wfclose(void** handle) { return guarded(0, [&] { return closeStream(handle); }); }

PELUND_API int psWinAPI_feof(void* handle)
{
    Stream* s = streamOf(handle);
    return s && (s->state() & std::ios_base::eofbit) ? 1 : 0;
}

PELUND_API int psWinAPI_fflush(void* handle)
{
    return guarded(0, [&] {
        if (Stream* s = streamOf(handle))
            s->wide ? (void)s->widef.flush() : (void)s->narrow.flush();
        return 0;
    });
}

PELUND_API int psWinAPI_fseek(void* handle, int32_t offset, int origin)
{
    return guarded(0, [&] {
        Stream* s = streamOf(handle);
        if (!s || origin < 0 || origin > 2)
            return 0;
        std::ios_base::seekdir dir = origin == 0 ? std::ios_base::beg
                                   : origin == 1 ? std::ios_base::cur : std::ios_base::end;
        auto seek = [&](auto& st) {
            st.clear(st.rdstate() & ~std::ios_base::eofbit);
            if (!st.fail())
                st.seekg(offset, dir);
        };
        s->wide ? seek(s->widef) : seek(s->narrow);
        s->pendingLow = 0;
        return 0;
    });
}

PELUND_API int32_t psWinAPI_ftell(void* handle)
{
    return guarded(int32_t(-1), [&] {
        Stream* s = streamOf(handle);
        if (!s)
            return int32_t(0);
        return s->wide ? positionOf(s->widef) : positionOf(s->narrow);
    });
}

PELUND_API int psWinAPI_fgetc(void* handle)
{
    return guarded(-1, [&] {
        std::fstream* s = narrowOf(handle);
        if (!s)
            return 0;
        int c = s->get();
        return c == std::char_traits<char>::eof() ? -1 : c;
    });
}

PELUND_API ps_char16 psWinAPI_fgetwc(void* handle)
{
    return guarded(ps_char16(0), [&] {
        Stream* s = wideOf(handle);
        if (!s)
            return ps_char16(0);
        if (s->pendingLow) {
            ps_char16 low = s->pendingLow;
            s->pendingLow = 0;
            return low;
        }
        std::wfstream::int_type c;
        try {
            c = s->widef.get();
        } catch (...) {
            return ps_char16(0);
        }
        if (c == std::char_traits<wchar_t>::eof())
            return ps_char16(0);
        std::u16string units;
        appendUtf16(units, char32_t(c));
        if (units.size() == 2)
            s->pendingLow = units[1];
        return ps_char16(units[0]);
    });
}

PELUND_API char* psWinAPI_fgets(char* buffer, int size, void* handle)
{
    return guarded<char*>(nullptr, [&] { return readNarrowLine(buffer, size, handle, 1, false); });
}

PELUND_API char* psWinAPI_readString(char* buffer, int size, void* handle, int keep_line_end)
{
    return guarded<char*>(nullptr, [&] {
        return readNarrowLine(buffer, size, handle, 2, keep_line_end != 0);
    });
}

PELUND_API ps_char16* psWinAPI_readWString(ps_char16* buffer, int size, void* handle, int keep_line_end)
{
    return guarded<ps_char16*>(nullptr, [&]() -> ps_char16* {
        Stream* s = wideOf(handle);
        if (!s || !buffer)
            return buffer;
        if (size < 2)
            return nullptr;
        std::u16string line;
        bool lf;
        bool taken = readLine(
            s->widef, size_t(size - 2),
            [](wchar_t c) { return size_t(c >= 0x10000 && c <= 0x10FFFF ? 2 : 1); },
            [&](wchar_t c) { appendUtf16(line, char32_t(c)); }, lf);
        if (!taken)
            return nullptr;
        if (keep_line_end && lf)
            line.push_back(u'\n');
        std::memcpy(buffer, line.data(), line.size() * sizeof(char16_t));
        buffer[line.size()] = 0;
        return buffer;
    });
}

PELUND_API int32_t psWinAPI_fread(void* buffer, size_t size, size_t count, void* handle)
{
    return guarded(int32_t(0), [&] {
        std::fstream* s = narrowOf(handle);
        if (!s || !buffer || !s->good())
            return int32_t(0);
        constexpr size_t cap = size_t(std::numeric_limits<int32_t>::max());
        size_t want = size && count > cap / size ? cap : size * count;
        s->read(static_cast<char*>(buffer), std::streamsize(want));
        return int32_t(s->gcount());
    });
}

PELUND_API int32_t psWinAPI_fwrite(const void* buffer, size_t size, size_t count, void* handle)
{
    return guarded(int32_t(0), [&] {
        std::fstream* s = narrowOf(handle);
        if (!s || !buffer)
            return int32_t(0);
        constexpr size_t cap = size_t(std::numeric_limits<int32_t>::max());
        size_t n = size && count > cap / size ? cap : size * count;
        return advanceOf(*s, [&] { s->write(static_cast<const char*>(buffer), std::streamsize(n)); });
    });
}

PELUND_API int32_t psWinAPI_writeString(const char* text, void* handle, int add_line_end)
{
    return guarded(int32_t(0), [&] {
        std::fstream* s = narrowOf(handle);
        if (!s || !text)
            return int32_t(0);
        size_t n = std::strlen(text);
        bool crlf = n >= 2 && text[n - 2] == '\r' && text[n - 1] == '\n';
        return advanceOf(*s, [&] {
            s->write(text, std::streamsize(n));
            if (add_line_end && !crlf)
                s->put('\n');
        });
    });
}

PELUND_API int32_t psWinAPI_writeWString(const ps_char16* text, void* handle, int add_line_end)
{
    return guarded(int32_t(0), [&] {
        Stream* s = wideOf(handle);
        if (!s || !text)
            return int32_t(0);
        std::u16string_view t(text);
        bool crlf = t.size() >= 2 && t[t.size() - 2] == u'\r' && t.back() == u'\n';
        std::wstring chars = toWchars(t);
        if (add_line_end && !crlf)
            chars += L"\r\n";
        return advanceOf(s->widef, [&] {
            writeChars(s->widef, [&] { s->widef.write(chars.data(), std::streamsize(chars.size())); });
        });
    });
}

PELUND_API int psWinAPI_fprintfn(void* handle, int unused, const char* format, ...)
{
    (void)unused;
    va_list args;
    va_start(args, format);
    int rc = guarded(PS_FAILURE, [&] { return printNarrow(handle, format, args); });
    va_end(args);
    return rc;
}

PELUND_API int psWinAPI_vfprintfn(void* handle, int unused, const char* format, va_list args)
{
    (void)unused;
    return guarded(PS_FAILURE, [&] { return printNarrow(handle, format, args); });
}

PELUND_API int psWinAPI_wvfprintfn(void* handle, int unused, const ps_char16* format, va_list args)
{
    (void)unused;
    return guarded(PS_FAILURE, [&] {
        if (!format)
            return PS_FAILURE;
        Stream* s = wideOf(handle);
        if (!s)
            return 0;
        std::u16string text;
        if (!formatWide(&text, format, args))
            return PS_FAILURE;
        std::wstring chars = toWchars(text);
        writeChars(s->widef, [&] { s->widef.write(chars.data(), std::streamsize(chars.size())); });
        return 0;
    });
}

}  // extern "C"
