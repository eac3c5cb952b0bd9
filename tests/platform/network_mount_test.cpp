#include "platform/network_mount.h"

#include <gtest/gtest.h>

TEST(NetworkMount, FindsTheMountHoldingAPath)
{
    const char* mountinfo =
        "21 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "30 21 0:40 / /mnt/nfs rw shared:20 - nfs4 server:/export rw,vers=4.2\n"
        "31 21 0:41 / /mnt/my\\040share rw - cifs //host/share rw\n"
        "32 21 0:42 / /home/u/remote rw,nosuid shared:5 master:2 - fuse.sshfs u@host: rw\n"
        "33 21 0:43 / /mnt/nfs/local rw - tmpfs tmpfs rw\n"
        "garbage line\n"
        "34 21 0:44 / /broken rw no-separator ext4\n";
    EXPECT_EQ(pelund::mountTypeAt(mountinfo, "/etc/passwd"), "ext4");
    EXPECT_EQ(pelund::mountTypeAt(mountinfo, "/mnt/nfs"), "nfs4");
    EXPECT_EQ(pelund::mountTypeAt(mountinfo, "/mnt/nfs/a/b"), "nfs4");
    EXPECT_EQ(pelund::mountTypeAt(mountinfo, "/mnt/nfsother"), "ext4");
    EXPECT_EQ(pelund::mountTypeAt(mountinfo, "/mnt/nfs/local/x"), "tmpfs");
    EXPECT_EQ(pelund::mountTypeAt(mountinfo, "/mnt/my share/f"), "cifs");
    EXPECT_EQ(pelund::mountTypeAt(mountinfo, "/home/u/remote/d"), "fuse.sshfs");
    EXPECT_EQ(pelund::mountTypeAt("", "/x"), "");
    EXPECT_TRUE(pelund::isNetworkFuseType("fuse.sshfs"));
    EXPECT_TRUE(pelund::isNetworkFuseType("fuse.rclone"));
    EXPECT_FALSE(pelund::isNetworkFuseType("fuse.gvfsd-fuse"));
    EXPECT_FALSE(pelund::isNetworkFuseType("fuseblk"));
    EXPECT_FALSE(pelund::isNetworkFuseType("fuse"));
}
