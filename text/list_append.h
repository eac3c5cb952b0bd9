// Appending one entry to a list: the separator unless the list is empty or
// ends in a line feed, and a capital for a first entry when asked.
#ifndef PELUND_TEXT_LIST_APPEND_H
#define PELUND_TEXT_LIST_APPEND_H

#include "text/char_class.h"

#include <string>
#include <string_view>

namespace pelund {

template <class Ch>
void appendEntry(std::basic_string<Ch>& list, const Ch* separator, bool capitalise,
                 std::basic_string_view<Ch> text)
{
    bool empty = list.empty();
    if (!empty && list.back() != '\n' && separator)
        list += separator;
    size_t at = list.size();
    list += text;
    if (capitalise && empty && !text.empty() && isAsciiLetter(list[at]))
        list[at] = toUpperAscii(list[at]);
}

}  // namespace pelund

#endif
