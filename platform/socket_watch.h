// The connected sockets of this process, as the database layer's watchdog
// sees them: which descriptors hold a socket with a peer, and taking one
// down (shutdown, never close) so that a receive blocked on it returns.
#ifndef PELUND_PLATFORM_SOCKET_WATCH_H
#define PELUND_PLATFORM_SOCKET_WATCH_H

#include <cstdint>
#include <string>
#include <vector>

namespace pelund {

// One socket: its descriptor, the identity of the open file behind it (so a
// descriptor number reused for another file is never touched) and its peer
// address as raw bytes.
struct PeerSocket {
    int fd = -1;
    uint64_t device = 0;
    uint64_t inode = 0;
    std::string peer;
};

// Every descriptor of this process that holds a socket with a peer address.
std::vector<PeerSocket> peerSockets();

// The sockets of AFTER that are not in BEFORE.
std::vector<PeerSocket> socketsAdded(const std::vector<PeerSocket>& before,
                                     const std::vector<PeerSocket>& after);

// Shuts SOCKET down both ways if its descriptor still holds the same socket;
// the descriptor stays open.
void shutDownSocket(const PeerSocket& socket);

}  // namespace pelund

#endif
