#include "platform/network_mount.h"

#include <stdlib.h>
#include <sys/vfs.h>

#include <fstream>
#include <sstream>

namespace pelund {
namespace {

constexpr unsigned long kFuseMagic = 0x65735546;

bool isNetworkMagic(unsigned long magic)
{
    switch (magic) {
    case 0x6969:      // NFS
    case 0x517B:      // SMB
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x5346414F:  // AFS
    case 0x6B414653:  // kAFS
    case 0x73757245:  // Coda
    case 0x564C:      // NCP
    case 0x01021997:  // 9P
    case 0x00C36400:  // Ceph
        return true;
    default:
        return false;
    }
}

// mountinfo writes blanks, tabs, line feeds and backslashes as \ooo.
std::string unescaped(std::string_view s)
{
    std::string out;
    for (size_t k = 0; k < s.size(); ++k) {
        if (s[k] == '\\' && k + 3 < s.size() && s[k + 1] >= '0' &&
            s[k + 1] <= '3' && s[k + 2] >= '0' && s[k + 2] <= '7' && s[k + 3] >= '0' && s[k + 3] <= '7') {
            out += char((s[k + 1] - '0') * 64 + (s[k + 2] - '0') * 8 + (s[k + 3] - '0'));
            k += 3;
        } else {
            out += s[k];
        }
    }
    return out;
}

bool holds(std::string_view mountPoint, std::string_view path)
{
    if (mountPoint == "/")
        return true;
    return path.substr(0, mountPoint.size()) == mountPoint &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

}  // namespace

std::string mountTypeAt(std::string_view mountinfo, std::string_view path)
{
    std::string best, type;
    size_t bestLength = 0;
    bool any = false;
    while (!mountinfo.empty()) {
        std::string_view line = mountinfo.substr(0, mountinfo.find('\n'));
        mountinfo.remove_prefix(line.size() < mountinfo.size() ? line.size() + 1 : line.size());
        // id parent major:minor root mount-point options [optional...] - type source
        std::istringstream fields{std::string(line)};
        std::string id, parent, device, root, point, word;
        if (!(fields >> id >> parent >> device >> root >> point))
            continue;
        while (fields >> word && word != "-") {
        }
        std::string fsType;
        if (word != "-" || !(fields >> fsType))
            continue;
        std::string mp = unescaped(point);
        // Later lines mount over earlier ones at the same point.
        if (holds(mp, path) && (!any || mp.size() >= bestLength)) {
            any = true;
            bestLength = mp.size();
            type = fsType;
        }
    }
    return type;
}

bool isNetworkFuseType(std::string_view type)
{
    static const char* const network[] = {
        "fuse.sshfs",  "fuse.rclone",   "fuse.s3fs",     "fuse.gcsfuse",   "fuse.davfs",
        "fuse.curlftpfs", "fuse.smbnetfs", "fuse.glusterfs", "fuse.ceph-fuse", "fuse.ceph",
        "fuse.goofys", "fuse.blobfuse", "fuse.blobfuse2", "fuse.cephfs",   "fuse.afpfs",
    };
    for (const char* n : network)
        if (type == n)
            return true;
    return false;
}

bool isOnNetworkFileSystem(const std::string& path)
{
    struct statfs info;
    if (statfs(path.c_str(), &info) != 0)
        return false;
    unsigned long magic = (unsigned long)info.f_type & 0xFFFFFFFFul;
    if (isNetworkMagic(magic))
        return true;
    if (magic != kFuseMagic)
        return false;
    char* real = realpath(path.c_str(), nullptr);
    if (!real)
        return false;
    std::string absolute = real;
    free(real);
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream text;
    text << in.rdbuf();
    return isNetworkFuseType(mountTypeAt(text.str(), absolute));
}

}  // namespace pelund
