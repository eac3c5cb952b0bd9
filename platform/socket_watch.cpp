#include "platform/socket_watch.h"

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>

namespace pelund {
namespace {

bool identify(int fd, PeerSocket& out)
{
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode))
        return false;
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
        return false;
    out.fd = fd;
    out.device = uint64_t(st.st_dev);
    out.inode = uint64_t(st.st_ino);
    out.peer.assign(reinterpret_cast<const char*>(&peer), length);
    return true;
}

bool sameSocket(const PeerSocket& a, const PeerSocket& b)
{
    return a.fd == b.fd && a.device == b.device && a.inode == b.inode;
}

}  // namespace

std::vector<PeerSocket> peerSockets()
{
    std::vector<PeerSocket> found;
    DIR* folder = opendir("/proc/self/fd");
    if (!folder)
        return found;
    int own = dirfd(folder);
    while (dirent* entry = readdir(folder)) {
        char* end = nullptr;
        long fd = std::strtol(entry->d_name, &end, 10);
        PeerSocket s;
        if (end != entry->d_name && *end == '\0' && fd != own && identify(int(fd), s))
            found.push_back(s);
    }
    closedir(folder);
    return found;
}

std::vector<PeerSocket> socketsAdded(const std::vector<PeerSocket>& before,
                                     const std::vector<PeerSocket>& after)
{
    std::vector<PeerSocket> added;
    for (const PeerSocket& s : after) {
        bool old = false;
        for (const PeerSocket& b : before)
            old = old || sameSocket(s, b);
        if (!old)
            added.push_back(s);
    }
    return added;
}

void shutDownSocket(const PeerSocket& socket)
{
    PeerSocket now;
    if (identify(socket.fd, now) && sameSocket(now, socket))
        shutdown(socket.fd, SHUT_RDWR);
}

}  // namespace pelund
