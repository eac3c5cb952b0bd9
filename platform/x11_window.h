// Window sizes on an X display. A window handle is an X11 window id.
#ifndef PELUND_PLATFORM_X11_WINDOW_H
#define PELUND_PLATFORM_X11_WINDOW_H

namespace pelund {

// Resizes WINDOW without moving it and raises it; false without a display
// ($DISPLAY), for a size below 1, or when the display refuses (no such
// window).
bool resizeX11Window(unsigned long window, int width, int height);

}  // namespace pelund

#endif
