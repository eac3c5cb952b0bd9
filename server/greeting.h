// The two identification texts that begin the companion server's greeting,
// each directly followed by the version (major.minor, from 5.0 on
// optionally ";" and the client's address). Shared by the client and the
// server program.
#ifndef PELUND_SERVER_GREETING_H
#define PELUND_SERVER_GREETING_H

namespace pelund {

constexpr const char* greetingText = "Pelund Companion Server V";
constexpr const char* greetingTextOld = "Pelund Server V";

}  // namespace pelund

#endif
