// Plain memory blocks.
#ifndef PELUND_FRAME_BUFFERS_H
#define PELUND_FRAME_BUFFERS_H

namespace pelund {

// True when the LENGTH bytes at DATA are all zero, and for a null DATA or a
// LENGTH of 0 or less.
bool isAllZero(const void* data, int length);

}  // namespace pelund

#endif
