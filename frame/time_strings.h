// The local time as the debug lines stamp it.
#ifndef PELUND_FRAME_TIME_STRINGS_H
#define PELUND_FRAME_TIME_STRINGS_H

#include <string>

namespace pelund {

// The 24-character asctime form of now without its line end ("Fri Dec 11
// 13:02:09 2026"); empty when the local time cannot be had.
std::string asciiTimeNow();

}  // namespace pelund

#endif
