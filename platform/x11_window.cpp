#include "platform/x11_window.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <mutex>

namespace pelund {
namespace {

// Xlib reports protocol errors to one process-wide handler; ours is in place
// only around our own requests, which the mutex keeps to one at a time.
std::mutex xlibErrors;
bool requestFailed = false;

int noteError(Display*, XErrorEvent*)
{
    requestFailed = true;
    return 0;
}

}  // namespace

bool resizeX11Window(unsigned long window, int width, int height)
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name || width < 1 || height < 1)
        return false;
    Display* display = XOpenDisplay(name);
    if (!display)
        return false;
    std::lock_guard<std::mutex> lock(xlibErrors);
    requestFailed = false;
    XErrorHandler previous = XSetErrorHandler(noteError);
    XResizeWindow(display, Window(window), unsigned(width), unsigned(height));
    XRaiseWindow(display, Window(window));
    XSync(display, False);
    XSetErrorHandler(previous);
    bool ok = !requestFailed;
    XCloseDisplay(display);
    return ok;
}

}  // namespace pelund
