// Logical names: a deliberately simple pattern test without backtracking.
// A '*' runs up to the first name character equal to the pattern character
// after it, so 'a*b' does not fit 'axxbyb'.
#include "pelund/strings.h"
#include "text/char_class.h"

#include <string_view>

namespace pelund {
namespace {

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool fitsOne(std::string_view pattern, std::string_view name, bool caseSensitive)
{
    pattern = trimBlanks(pattern);
    name = trimBlanks(name);
    auto at = [&](std::string_view s, size_t k) {
        return caseSensitive ? s[k] : toUpperAscii(s[k]);
    };
    size_t i = 0, j = 0;
    while (i < pattern.size() && j < name.size()) {
        char c = pattern[i];
        if (c == '*') {
            if (i + 1 < pattern.size()) {
                char next = at(pattern, i + 1);
                while (j < name.size() && at(name, j) != next)
                    ++j;
            } else {
                j = name.size();
            }
            ++i;
        } else if (c == '?') {
            ++i;
            ++j;
        } else {
            if (at(pattern, i) != at(name, j))
                return false;
            ++i;
            ++j;
        }
    }
    for (; i < pattern.size(); ++i)
        if (pattern[i] != '*')
            return false;
    return j == name.size();
}

int compareLogicalNames(const char* pattern, const char* name, int is_list, char separator,
                        int case_sensitive)
{
    if (!pattern || !name)
        return 0;
    std::string_view all(pattern);
    if (!is_list || separator == '\0')
        return fitsOne(all, name, case_sensitive != 0);
    for (;;) {
        size_t cut = all.find(separator);
        if (fitsOne(all.substr(0, cut), name, case_sensitive != 0))
            return 1;
        if (cut == std::string_view::npos)
            return 0;
        all.remove_prefix(cut + 1);
    }
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psString_CompareLogicalNames2(const char* pattern, const char* name, int is_list,
                                             char separator, int case_sensitive)
{
    return compareLogicalNames(pattern, name, is_list, separator, case_sensitive);
}

PELUND_API int psString_CompareLogicalNames(const char* pattern, const char* name, int is_list,
                                            char separator)
{
    return compareLogicalNames(pattern, name, is_list, separator, 1);
}

}  // extern "C"
