#include <cstdint>

#include "frame/guard.h"
#include "pelund/system.h"
#include "platform/x11_window.h"

extern "C" {

PELUND_API int psWinAPI_resizeWindow(void* handle, int width, int height)
{
    return pelund::guarded(PS_FAILURE, [&] {
        if (!handle)
            return PS_FAILURE;
        return pelund::resizeX11Window((unsigned long)(uintptr_t)handle, width, height) ? 0 : PS_FAILURE;
    });
}

}  // extern "C"
