// The companion-server protocol as both ends see it: the greeting texts,
// the bytes that start each message, and the fixed sizes. Shared by the
// client in this folder and the companion-server program. Integers on the
// wire are little-endian (frame/byte_order.h reads and writes them).
#ifndef PELUND_SERVER_WIRE_FORMAT_H
#define PELUND_SERVER_WIRE_FORMAT_H

#include <cstddef>

namespace pelund::wire {

// The two identification texts that begin the greeting, each directly
// followed by the version (major.minor; from 5.0 on optionally ";" and the
// client's address as the server sees it).
constexpr const char* greetingText = "Pelund Companion Server V";
constexpr const char* greetingTextOld = "Pelund Server V";
// A greeting is at most this many bytes, its zero byte included.
constexpr size_t greetingCapacity = 1024;

// First byte of each client message.
constexpr char command = '!';       // "!" text NUL: one response
constexpr char upload = '~';        // "~" kind, int32 size, name NUL, content: "OK" NUL
constexpr char pluginOpen = '%';    // "%" name NUL: "OK" and up to 5 bytes of version
constexpr char pluginBytes = 'B';   // 5-byte header, then the payload
constexpr char pluginFile = 'F';    // 5-byte header, then a file's content
constexpr char pluginClose = 'X';   // ends the conversation

// A plug-in message header: the kind byte and a 32-bit payload count.
constexpr size_t pluginHeaderSize = 5;
// A plug-in reply: a 32-bit count, then that many bytes.
constexpr size_t replyCountSize = 4;
// The answer to a complete upload: "OK" and its zero byte.
constexpr const char uploadAccepted[3] = {'O', 'K', '\0'};

// The command whose answer is the web port as decimal text.
constexpr const char* webPortCommand = "1";

}  // namespace pelund::wire

#endif
