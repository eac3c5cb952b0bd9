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

// NAME NUL NAME NUL ... NUL. A list needs one byte more than its length
// (the final NUL) and one more still, or it counts as cut: it keeps its
// first SIZE - 2 bytes and ends in two NULs. An empty list is one NUL.
int storeList(const std::vector<std::string>& names, char* buffer, int size)
{
    if (size <= 0)
        return 0;
    std::string joined;
    for (const std::string& n : names)
        joined.append(n).push_back('\0');
    if (joined.size() + 1 < size_t(size) || joined.empty()) {
        std::memcpy(buffer, joined.data(), joined.size());
        buffer[joined.size()] = '\0';
        return int(joined.size());
    }
    if (size == 1) {
        buffer[0] = '\0';
        return 0;
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
        while (!value.empty() && value.back() == ' ')  // blanks only, not tabs
            value.pop_back();
    }
    return storeText(value, buffer, size);
}

bool holdsLineEnd(const char* s) { return std::strpbrk(s, "\r\n") != nullptr; }

// A key whose line would read as a section or a comment.
bool startsLikeOtherLine(const char* key)
{
    key += std::strspn(key, " \t\v\f");
    return *key == '[' || *key == ';';
}

int writeProfile(const char* section, const char* key, const char* value, const char* path)
{
    if (!key || !value)
        return PS_FAILURE;
    // What would change the file's structure cannot be a name or a value.
    if (!section || !path || holdsLineEnd(section) || holdsLineEnd(key) || holdsLineEnd(value) ||
        std::strchr(key, '=') || startsLikeOtherLine(key) || std::strchr(section, ']') || !*path)
        return EINVAL;
    return replaceFileLocked(path, [&](const std::string& old) {
        return profileWithValue(old, section, key, value);
    });
}

}  // namespace
}  // namespace pelund

extern "C" {

PELUND_API int psProfile_getProfileString(const char* section, const char* key, const char* default_text,
                                          char* buffer, int size, const char* path)
{
    return pelund::guarded(0, [&] { return pelund::readProfile(section, key, default_text, buffer, size, path); });
}

PELUND_API int psProfile_writeProfileString(const char* section, const char* key, const char* value,
                                            const char* path)
{
    return pelund::guarded(ENOMEM, [&] { return pelund::writeProfile(section, key, value, path); });
}

}  // extern "C"
