// Reading entries of an ODBC connect string.
#ifndef PELUND_DB_CONNECT_STRING_H
#define PELUND_DB_CONNECT_STRING_H

#include <optional>
#include <string>
#include <string_view>

namespace pelund {

// The value of the first entry of connect string S that starts with KEY
// (upper case, with its "="; ASCII case ignored), as it stands. Entries are
// split at ";" (braces are not special); none: no value.
std::optional<std::u16string_view> entryValue(const std::u16string& s, std::u16string_view key);

}  // namespace pelund

#endif
