// Profile files: "[section]" lines and "key=value" lines, read and written
// the way the Windows private-profile functions do.
//
// Lines end in CR LF, LF or a bare CR, in any mix. White space (blanks,
// tabs, vertical tabs, form feeds) around a line, a section name, a key and
// a value does not count, nor does it around the names a caller passes. A
// line whose first character is '[' names a section: what follows up to the
// first ']', or up to the line's end when there is none. Lines starting
// with ';' are comments; a line without '=' sets nothing. Names compare
// without regard to ASCII case and keep the spelling the file has. One pair
// of equal quotes (' or ") around a value is removed. Lookups and writes
// use the first section of a name and the first of equal keys in it;
// listings name every section line and every key line, in file order, but
// never an empty name.
#ifndef PELUND_OS_PROFILE_FILE_H
#define PELUND_OS_PROFILE_FILE_H

#include <string>
#include <string_view>
#include <vector>

namespace pelund {

// The value of KEY in SECTION of TEXT; false when there is none.
bool profileValue(std::string_view text, std::string_view section, std::string_view key, std::string* value);

// The section names of TEXT, or the key names of SECTION, in file order.
std::vector<std::string> profileSections(std::string_view text);
std::vector<std::string> profileKeys(std::string_view text, std::string_view section);

// TEXT with KEY of SECTION set to VALUE: the key's line rewritten as
// "Key=VALUE" with the key spelled as stored, or a line added after the
// section's last line that is not blank, or the section added at the end of
// the file. Every other byte stays as it was; added lines end like the
// file's first line (LF in an empty file).
std::string profileWithValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value);

}  // namespace pelund

#endif
