#include "db/connect_string.h"

#include "frame/ascii.h"

namespace pelund {

std::optional<std::u16string_view> entryValue(const std::u16string& s, std::u16string_view key)
{
    for (size_t at = 0; at < s.size();) {
        size_t end = s.find(u';', at);
        if (end == std::u16string::npos)
            end = s.size();
        std::u16string_view entry(s.data() + at, end - at);
        at = end + 1;
        if (startsWithAsciiUpper(entry, key))
            return entry.substr(key.size());
    }
    return std::nullopt;
}

}  // namespace pelund
