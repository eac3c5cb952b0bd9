// The watchdog over driver calls that wait on the server. Some drivers
// (psqlODBC) have no time-out for a reply on an open connection, and the
// server enforces the query time-out itself, so a frozen server would hold
// such a call for ever. A watched call that has not returned within its
// limit is cancelled (SQLCancel); if it still has not returned after a
// further grace, the connection's sockets are shut down, the driver's
// blocked receive returns and the call fails with the driver's error. The
// connection is then dead: later calls fail and never wait.
//
// One thread keeps the deadlines (started at the first watched call,
// stopped when the library is unloaded); cancels run on a second one, since
// a driver's cancel may itself wait on the frozen server (libpq's waits for
// the server to close its cancel connection). The watchdog's thread never
// calls the driver, so the shutdown always comes.
#ifndef PELUND_DB_CALL_WATCHDOG_H
#define PELUND_DB_CALL_WATCHDOG_H

#include "db/statement_handle.h"

#include <chrono>
#include <cstdint>

namespace pelund {

struct WatchLimits {
    // The limit of a call; zero: the connection's query time-out (15 s when
    // off or zero).
    std::chrono::milliseconds call{0};
    std::chrono::milliseconds cancelGrace{std::chrono::seconds(3)};
    std::chrono::milliseconds shutdownGrace{std::chrono::seconds(3)};
};

WatchLimits watchLimits();
// For tests: shorter limits.
void setWatchLimits(const WatchLimits& limits);

// Arms the watchdog for one call on statement H (null: a call with nothing
// to cancel, on the connection or freeing the statement) while it lives; nothing when the
// connection has no watched sockets (ActiveDatabase::watchedSockets), or
// when ARM is false. A watch made while another lives on the same thread
// arms nothing: the outer one bounds all the calls made under it, as one.
class CallWatch {
public:
    explicit CallWatch(SQLHSTMT h, bool arm = true)
    {
        if (arm)
            start(h);
    }
    CallWatch(const CallWatch&) = delete;
    CallWatch& operator=(const CallWatch&) = delete;
    ~CallWatch()
    {
        if (token_)
            stop();
    }

private:
    void start(SQLHSTMT h);
    void stop();

    uint64_t token_ = 0;
};

// untilDone (db/statement_handle.h) under the watchdog.
template <class F>
SQLRETURN watched(SQLHSTMT h, F&& call)
{
    CallWatch watch(h);
    return untilDone(call);
}

}  // namespace pelund

#endif
