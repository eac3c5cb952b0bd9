// What the server and a plug-in host process (companion-plugin-host) say
// to each other over their socket pair. Every frame is a kind byte, the
// payload's length as a little-endian uint32, and the payload.
//
// The host is started with the plug-in's file, the temporary folder and
// the limits on its command line (see plugin_host_main.cpp) and answers
// with one open frame. Then, server to host:
//   begin  kind byte ('B' or 'F') and the message's length (uint32)
//   data   the next bytes of the payload
//   end    the payload is complete; the host answers with done
// and host to server, at any time:
//   reply  starts a reply: its byte count (uint32)
//   write  the next bytes of the reply
//   log    a kind byte (PELUND_COMPANION_LOG_*) and the text
//   failed the conversation has failed: why, as text; the host then exits
// The server closes the conversation by closing its end; the host then
// calls close and exits.
#ifndef PELUND_COMPANION_HOST_PROTOCOL_H
#define PELUND_COMPANION_HOST_PROTOCOL_H

#include "frame/byte_order.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace pelund::companion::host {

constexpr char openFrame = 'O';      // host: one byte, 1 when the plug-in took the conversation
constexpr char beginFrame = 'B';
constexpr char dataFrame = 'D';
constexpr char endFrame = 'E';
constexpr char doneFrame = 'A';      // host: the message's end was handled
constexpr char replyFrame = 'R';
constexpr char writeFrame = 'W';
constexpr char logFrame = 'L';
constexpr char failedFrame = 'F';

constexpr size_t headerSize = 5;
// The largest payload of a frame other than data and write, which carry
// any number of bytes.
constexpr size_t smallFrameLimit = 64 * 1024;

inline void storeHeader(unsigned char* into, char kind, uint32_t length)
{
    into[0] = static_cast<unsigned char>(kind);
    storeLittle32(into + 1, length);
}

inline std::string frame(char kind, const void* payload, size_t length)
{
    std::string out(headerSize + length, '\0');
    storeHeader(reinterpret_cast<unsigned char*>(out.data()), kind, uint32_t(length));
    if (length)
        std::memcpy(out.data() + headerSize, payload, length);
    return out;
}

}  // namespace pelund::companion::host

#endif
