// Whether a path lies on a network file system: by the file system's magic
// number, and for FUSE by the mount's type in /proc/self/mountinfo.
#ifndef PELUND_PLATFORM_NETWORK_MOUNT_H
#define PELUND_PLATFORM_NETWORK_MOUNT_H

#include <string>
#include <string_view>

namespace pelund {

bool isOnNetworkFileSystem(const std::string& path);

// The type ("nfs4", "fuse.sshfs") of the mount in MOUNTINFO (the text of
// /proc/self/mountinfo) whose mount point holds the absolute PATH; empty
// when none does.
std::string mountTypeAt(std::string_view mountinfo, std::string_view path);

// True for FUSE types of network file systems ("fuse.sshfs", "fuse.rclone").
bool isNetworkFuseType(std::string_view type);

}  // namespace pelund

#endif
