// UTF-8 and UTF-16, whatever the locale: the conversions every family uses
// for diagnostic lines, file names and the W forms.
#ifndef PELUND_FRAME_UTF_H
#define PELUND_FRAME_UTF_H

#include <string>
#include <string_view>

namespace pelund {

std::string utf16ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; a byte that does not start a well-formed sequence becomes
// U+FFFD and clears *VALID (may be null).
std::u16string utf8ToUtf16(std::string_view text, bool* valid = nullptr);

// One code point appended as one or two units (REPLACEMENT for a surrogate
// or a value beyond U+10FFFF), and the code point at TEXT[K] with K moved
// onto its last unit (a lone surrogate gives U+FFFD).
void appendUtf16(std::u16string& out, char32_t c, char16_t replacement = u'\uFFFD');
char32_t utf16CodePointAt(std::u16string_view text, size_t& k);

// The code point at TEXT[K], K moved onto its last unit; a lone surrogate
// is returned as it is, with LONE set.
char32_t nextCodePoint(std::u16string_view text, size_t& k, bool& lone);

}  // namespace pelund

#endif
