// File times, parent folders, folder creation, existence, network drives and
// short paths. Both '/' and '\' separate components of a UTF-16 path; the
// file system sees '/' only.
#include <cerrno>
#include <cstring>
#include <string>

#include "frame/guard.h"
#include "pelund/system.h"
#include "frame/utf.h"
#include "platform/file_system.h"
#include "platform/network_mount.h"

namespace pelund {
namespace {

constexpr size_t kLongestPath = 4095;

bool isSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

std::string fileName(std::u16string_view path)
{
    std::string name = utf16ToUtf8(path);
    for (char& c : name)
        if (c == '\\')
            c = '/';
    return name;
}

// PATH without its last component (a trailing separator is the component);
// false when nothing can be removed: an empty path or the root alone.
bool parentOf(std::u16string_view path, std::u16string& parent)
{
    size_t root = 0;
    while (root < path.size() && isSeparator(path[root]))
        ++root;
    if (root == path.size())
        return false;
    size_t end = path.size();
    if (!isSeparator(path[end - 1])) {
        while (end > root && !isSeparator(path[end - 1]))
            --end;
        if (end == root) {
            parent.assign(root ? u"/" : u"");
            return true;
        }
    }
    while (end > root && isSeparator(path[end - 1]))
        --end;
    parent.assign(path.substr(0, end));
    for (char16_t& c : parent)
        if (c == u'\\')
            c = u'/';
    return true;
}

int makeDirectory(const std::u16string& path)
{
    // Each pass either ends or makes one folder; a folder removed under our
    // feet while we work ends it too.
    for (int pass = 0; pass < 3; ++pass) {
        std::u16string parent;
        if (!parentOf(path, parent))
            return PS_FAILURE;
        if (isFolder(fileName(parent))) {
            std::string name = fileName(path);
            if (isFolder(name))
                return 0;
            if (int rc = makeFolder(name))
                return rc;
            continue;
        }
        if (parent.empty())
            return PS_FAILURE;
        if (int rc = makeDirectory(parent))
            return rc;
    }
    return PS_FAILURE;
}

int fileTimesOf(const ps_char16* path, int64_t* created, int64_t* written)
{
    if (!path || (!created && !written))
        return PS_FAILURE;
    std::string match;
    int64_t c, w;
    if (!firstMatch(utf16ToUtf8(path), &match) || !fileTimes(match, &c, &w))
        return PS_FAILURE;
    if (created)
        *created = c;
    if (written)
        *written = w;
    return 0;
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API int psWinAPI_getFileTimes(const ps_char16* path, int64_t* created, int64_t* written)
{
    return guarded(PS_FAILURE, [&] { return fileTimesOf(path, created, written); });
}

PELUND_API int psWinAPI_getParentDir(ps_char16* parent, const ps_char16* path, int add_separator)
{
    return guarded(PS_FAILURE, [&] {
        std::u16string result;
        if (!parent || !path || !parentOf(path, result))
            return PS_FAILURE;
        if (add_separator && !result.empty() && result.back() != u'/')
            result.push_back(u'/');
        std::memcpy(parent, result.c_str(), (result.size() + 1) * sizeof(char16_t));
        return 0;
    });
}

PELUND_API int psWinAPI_makeDirectory(const ps_char16* path)
{
    return guarded(PS_FAILURE, [&] {
        if (!path || !*path)
            return PS_FAILURE;
        std::u16string text(path);
        return text.size() > kLongestPath ? PS_FAILURE : makeDirectory(text);
    });
}

PELUND_API int psFile_fileExists(const char* path)
{
    return guarded(0, [&] { return path && firstMatch(path, nullptr) ? 1 : 0; });
}

PELUND_API int psFile_isDeviceRemote(const ps_char16* root)
{
    return guarded(0, [&] { return root && *root && isOnNetworkFileSystem(fileName(root)) ? 1 : 0; });
}

PELUND_API int vnWin32_getShortPathName(const char* long_path, char* short_path)
{
    return guarded(PS_FAILURE, [&] {
        if (!long_path || !short_path)
            return PS_FAILURE;
        short_path[0] = '\0';
        if (int rc = pathStatus(long_path))
            return rc;
        size_t n = std::strlen(long_path);
        if (n >= PS_MAX_PATH)
            return ENAMETOOLONG;
        std::memcpy(short_path, long_path, n + 1);
        return 0;
    });
}

}  // extern "C"
