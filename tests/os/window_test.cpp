// Window resizing on a real X display: a private Xvfb server when the
// machine has one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "pelund/system.h"

// Last: Xlib defines macros (None, Bool) that other headers use as names.
#include <X11/Xlib.h>

namespace {

class XServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (access("/usr/bin/Xvfb", X_OK) != 0)
            GTEST_SKIP() << "no Xvfb on this machine: the resize on a real display is not tried";
        char name[16];
        std::snprintf(name, sizeof name, ":%d", 90 + int(getpid() % 500));
        display_ = name;
        pid_ = fork();
        if (pid_ == 0) {
            execl("/usr/bin/Xvfb", "Xvfb", display_.c_str(), "-nolisten", "tcp", "-screen", "0", "640x480x24",
                  (char*)nullptr);
            _exit(127);
        }
        for (int k = 0; k < 500 && !connection_; ++k) {
            connection_ = XOpenDisplay(display_.c_str());
            if (!connection_)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ASSERT_NE(connection_, nullptr) << "Xvfb did not start";
        setenv("DISPLAY", display_.c_str(), 1);
    }
    void TearDown() override
    {
        if (connection_)
            XCloseDisplay(connection_);
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        unsetenv("DISPLAY");
    }

    std::string display_;
    pid_t pid_ = -1;
    Display* connection_ = nullptr;
};

}  // namespace

TEST_F(XServer, ResizesAWindowWithoutMovingIt)
{
    Window w = XCreateSimpleWindow(connection_, DefaultRootWindow(connection_), 30, 40, 100, 80, 0, 0, 0);
    XMapWindow(connection_, w);
    XSync(connection_, False);
    void* handle = reinterpret_cast<void*>(uintptr_t(w));
    ASSERT_EQ(psWinAPI_resizeWindow(handle, 320, 200), 0);
    XWindowAttributes a;
    ASSERT_NE(XGetWindowAttributes(connection_, w, &a), 0);
    EXPECT_EQ(a.width, 320);
    EXPECT_EQ(a.height, 200);
    EXPECT_EQ(a.x, 30);
    EXPECT_EQ(a.y, 40);
    EXPECT_EQ(psWinAPI_resizeWindow(handle, 0, 200), PS_FAILURE);
    EXPECT_EQ(psWinAPI_resizeWindow(reinterpret_cast<void*>(uintptr_t(0x7ffff0)), 10, 10), PS_FAILURE);  // no such window
    XDestroyWindow(connection_, w);
}
