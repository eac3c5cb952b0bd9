// Profile-file values, read and written.
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "frame/guard.h"
#include "os/profile_file.h"
#include "pelund/profile.h"
#include "platform/file_replace.h"

namespace pelund {
namespace {

int storeText(const std::string& text, char* buffer, int size)
{
    if (size <= 0)
        return 0;
    size_t n = std::min(text.size(), size_t(size) - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return int(n);
}

// NAME NUL NAME NUL ... NUL; a list that does not fit is cut and ends in two NULs.
int storeList(const std::vector<std::string>& names, char* buffer, int size)
{
    if (size <= 0)
        return 0;
    std::string joined;
    for (const std::string& n : names)
        joined.append(n).push_back('\0');
    if (size == 1) {
        buffer[0] = '\0';
        return 0;
    }
    if (joined.size() + 1 <= size_t(size)) {
        std::memcpy(buffer, joined.data(), joined.size());
        buffer[joined.size()] = '\0';
        if (joined.empty())
            buffer[1] = '\0';
        return int(joined.size());
    }
    std::memcpy(buffer, joined.data(), size_t(size) - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

int readProfile(const char* section, const char* key, const char* defaultText, char* buffer, int size,
                const char* path)
{
    if (!buffer || !defaultText)
        return PS_FAILURE;
    std::string text;
    if (path)
        readWholeFile(path, &text);  // a missing file has nothing in it
    if (!section)
        return storeList(profileSections(text), buffer, size);
    if (!key)
        return storeList(profileKeys(text, section), buffer, size);
    std::string value;
    if (!profileValue(text, section, key, &value)) {
        value = defaultText;
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
            value.pop_back();
    }
    return storeText(value, buffer, size);
}

bool holdsLineEnd(const char* s) { return std::strpbrk(s, "\r\n") != nullptr; }

int writeProfile(const char* section, const char* key, const char* value, const char* path)
{
    if (!key || !value)
        return PS_FAILURE;
    // What would change the file's structure cannot be a name or a value.
    if (!section || !path || holdsLineEnd(section) || holdsLineEnd(key) || holdsLineEnd(value) ||
        std::strchr(key, '=') || std::strchr(section, ']') || !*path)
        return EINVAL;
    return replaceFileLocked(path, [&](const std::string& old) {
        return profileWithValue(old, section, key, value);
    });
}

}  // namespace
}  // namespace pelund

extern "C" int psProfile_getProfileString(const char* section, const char* key, const char* default_text,
                                          char* buffer, int size, const char* path)
{
    return pelund::guarded(0, [&] { return pelund::readProfile(section, key, default_text, buffer, size, path); });
}

extern "C" int psProfile_writeProfileString(const char* section, const char* key, const char* value,
                                            const char* path)
{
    return pelund::guarded(ENOMEM, [&] { return pelund::writeProfile(section, key, value, path); });
}
