// The profile-file reader and writer on arbitrary file text: the first
// line names a section, a key and a value. Writing a value and reading it
// back must give the value, and leave the other sections' keys readable.
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "os/profile_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    size_t end = bytes.find('\n');
    std::string_view query = bytes.substr(0, end);
    std::string_view text = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    size_t a = query.find('|'), b = a == std::string_view::npos ? a : query.find('|', a + 1);
    if (b == std::string_view::npos)
        return 0;
    std::string section(query.substr(0, a)), key(query.substr(a + 1, b - a - 1)), value(query.substr(b + 1));

    std::string found;
    (void)pelund::profileValue(text, section, key, &found);
    (void)pelund::profileSections(text);
    (void)pelund::profileKeys(text, section);

    // Names and values the writer accepts: no line ends, no '=' in a key,
    // no ']' in a section, no white space or quotes that reading trims away.
    auto plain = [](const std::string& s) {
        const char* blanks = " \t\v\f";
        if (s.empty() || std::strchr(blanks, s.front()) || std::strchr(blanks, s.back()))
            return false;
        return s.find_first_of("\r\n\"';[]=") == std::string::npos;
    };
    if (!plain(section) || !plain(key) || !plain(value))
        return 0;
    std::string written = pelund::profileWithValue(text, section, key, value);
    if (!pelund::profileValue(written, section, key, &found) || found != value)
        std::abort();
    return 0;
}
