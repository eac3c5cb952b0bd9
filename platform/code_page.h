// The database layer's 8-bit text: the multibyte encoding of the current
// locale (what a Windows ANSI code page is to the same functions), to and
// from UTF-16, and the Windows code pages of stored files. A character
// without a mapping becomes '?'. Locale-free UTF-8 is in frame/utf.h.
#ifndef PELUND_PLATFORM_CODE_PAGE_H
#define PELUND_PLATFORM_CODE_PAGE_H

#include <string>
#include <string_view>

namespace pelund {

// A null TEXT gives an empty string.
std::u16string codePageToUtf16(const char* text);
std::string utf16ToCodePage(std::u16string_view text);

// BYTES in the Windows code page CODE_PAGE (1252, 1200 for UTF-16LE, 65001
// for UTF-8, ...) to UTF-16, through iconv; what cannot be converted (or a
// code page iconv does not know) is taken byte by byte as Latin-1.
std::u16string windowsCodePageToUtf16(std::string_view bytes, unsigned codePage);

}  // namespace pelund

#endif
