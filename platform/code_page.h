// The database layer's 8-bit text: the multibyte encoding of the current
// locale (what a Windows ANSI code page is to the same functions), to and
// from UTF-16. A character without a mapping becomes '?'.
#ifndef PELUND_PLATFORM_CODE_PAGE_H
#define PELUND_PLATFORM_CODE_PAGE_H

#include <string>
#include <string_view>

namespace pelund {

// A null TEXT gives an empty string.
std::u16string codePageToUtf16(const char* text);
std::string utf16ToCodePage(std::u16string_view text);

// UTF-8, whatever the locale: for diagnostic lines and file names.
std::string utf16ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; a byte that does not start a well-formed sequence becomes
// U+FFFD and clears *VALID (may be null).
std::u16string utf8ToUtf16(std::string_view text, bool* valid = nullptr);

// BYTES in the Windows code page CODE_PAGE (1252, 1200 for UTF-16LE, 65001
// for UTF-8, ...) to UTF-16, through iconv; what cannot be converted (or a
// code page iconv does not know) is taken byte by byte as Latin-1.
std::u16string windowsCodePageToUtf16(std::string_view bytes, unsigned codePage);

// One code point appended as one or two units (REPLACEMENT for a surrogate
// or a value beyond U+10FFFF), and the code point at TEXT[K] with K moved
// onto its last unit (a lone surrogate gives U+FFFD).
void appendUtf16(std::u16string& out, char32_t c, char16_t replacement = u'\uFFFD');
char32_t utf16CodePointAt(std::u16string_view text, size_t& k);

}  // namespace pelund

#endif
