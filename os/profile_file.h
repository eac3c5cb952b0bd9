// Profile files: "[section]" lines and "key=value" lines. Section and key
// names compare without regard to case; blanks around keys and values are
// trimmed and one pair of quotes around a value is removed; the first of
// equal sections, and the first of equal keys in it, is the one read and
// written. Lines starting with ';' are comments; CR LF line ends are read
// as LF and kept when writing.
#ifndef PELUND_OS_PROFILE_FILE_H
#define PELUND_OS_PROFILE_FILE_H

#include <string>
#include <string_view>
#include <vector>

namespace pelund {

// The value of KEY in SECTION of TEXT; false when there is none.
bool profileValue(std::string_view text, std::string_view section, std::string_view key, std::string* value);

// The section names of TEXT, or the key names of SECTION, in file order
// (each name once).
std::vector<std::string> profileSections(std::string_view text);
std::vector<std::string> profileKeys(std::string_view text, std::string_view section);

// TEXT with KEY of SECTION set to VALUE: the key's line replaced, or a line
// added at the end of the section, or the section added at the end of the
// file. Every other line stays as it was.
std::string profileWithValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value);

}  // namespace pelund

#endif
