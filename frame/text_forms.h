// 8-bit and UTF-16 text inside the library.
//
// The library's own conversion works as the "C" locale does: a UTF-16 unit
// from U+0001 to U+00FF is the byte of the same value and back. Units above
// U+00FF have no 8-bit form and become '?'. It never consults the process
// locale, so callers that set one see the same results.
#ifndef PELUND_FRAME_TEXT_FORMS_H
#define PELUND_FRAME_TEXT_FORMS_H

#include <cstddef>
#include <cstring>

namespace pelund {

// Length of a NUL-terminated string of either width.
template <class Ch>
inline size_t strLen(const Ch* s)
{
    const Ch* p = s;
    while (*p)
        ++p;
    return size_t(p - s);
}

// 8-bit text is measured by the C library's vector scan.
inline size_t strLen(const char* s) { return std::strlen(s); }

inline char narrowFromWide(char16_t c) { return c <= 0xFF ? char(c) : '?'; }
inline char16_t wideFromNarrow(char c) { return char16_t((unsigned char)c); }

// A new 8-bit copy of TEXT (length + 1 bytes, from malloc), or null for a
// null TEXT or exhausted memory. Release it with freeNarrowDup.
char* wideToNarrowDup(const char16_t* text);
void freeNarrowDup(char* copy);

// A new UTF-16 copy of TEXT (from malloc), or null; release with free().
char16_t* narrowToWideDup(const char* text);

// Owns one wideToNarrowDup copy for the length of a W call.
class NarrowDup {
public:
    explicit NarrowDup(const char16_t* text) : copy_(wideToNarrowDup(text)) {}
    ~NarrowDup() { freeNarrowDup(copy_); }
    NarrowDup(const NarrowDup&) = delete;
    NarrowDup& operator=(const NarrowDup&) = delete;
    const char* get() const { return copy_; }
    // True when TEXT was null or its copy came through.
    bool okFor(const char16_t* text) const { return !text || copy_; }

private:
    char* copy_;
};

}  // namespace pelund

#endif
