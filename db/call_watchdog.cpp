#include "db/call_watchdog.h"

#include "db/active_database.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace pelund {
namespace {

using Clock = std::chrono::steady_clock;

enum class Stage { Running, Cancelling, ShutDown };

struct Watch {
    SQLHSTMT hstmt = nullptr;
    std::shared_ptr<const std::vector<PeerSocket>> sockets;
    Clock::time_point due;
    Stage stage = Stage::Running;
    bool cancelling = false;            // SQLCancel is running on the cancel thread
    std::vector<PeerSocket> beforeCancel;  // the process's sockets just before it
    bool returned = false;              // the call has returned; drop when the cancel is done
};

class Watchdog {
public:
    ~Watchdog()
    {
        {
            std::unique_lock<std::mutex> hold(lock_);
            stopping_ = true;
            // A cancel still waiting on a frozen server is let go by
            // shutting its sockets down, so the threads end.
            for (auto& [token, w] : watches_)
                if (w.cancelling)
                    shutDown(w);
        }
        changed_.notify_all();
        if (timer_.joinable())
            timer_.join();
        if (canceller_.joinable())
            canceller_.join();
    }

    uint64_t arm(SQLHSTMT h, std::shared_ptr<const std::vector<PeerSocket>> sockets,
                 Clock::duration limit)
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (stopping_)
            return 0;
        if (!timer_.joinable()) {
            timer_ = std::thread([this] { keepDeadlines(); });
            canceller_ = std::thread([this] { runCancels(); });
        }
        uint64_t token = ++lastToken_;
        Watch& w = watches_[token];
        w.hstmt = h;
        w.sockets = std::move(sockets);
        w.due = Clock::now() + limit;
        if (w.due < wakeAt_)
            changed_.notify_all();
        return token;
    }

    // The call has returned. Its statement may be freed next, so this waits
    // for a cancel running on it; that cancel ends at the latest when the
    // timer shuts its sockets down.
    void disarm(uint64_t token)
    {
        std::unique_lock<std::mutex> hold(lock_);
        auto it = watches_.find(token);
        if (it == watches_.end())
            return;
        it->second.returned = true;
        cancelDone_.wait(hold, [&] { return !it->second.cancelling; });
        watches_.erase(it);
    }

    WatchLimits limits()
    {
        std::lock_guard<std::mutex> hold(lock_);
        return limits_;
    }

    void setLimits(const WatchLimits& limits)
    {
        std::lock_guard<std::mutex> hold(lock_);
        limits_ = limits;
    }

private:
    // Shuts down the connection's sockets and any socket that the cancel
    // opened to the same server (under LOCK_).
    // The connection's own sockets are shut down once: afterwards the
    // driver may close them.
    static void shutDown(const Watch& w)
    {
        if (w.stage != Stage::ShutDown)
            for (const PeerSocket& s : *w.sockets)
                shutDownSocket(s);
        if (!w.cancelling)
            return;
        for (const PeerSocket& s : socketsAdded(w.beforeCancel, peerSockets()))
            for (const PeerSocket& c : *w.sockets)
                if (s.peer == c.peer) {
                    shutDownSocket(s);
                    break;
                }
    }

    void keepDeadlines()
    {
        std::unique_lock<std::mutex> hold(lock_);
        while (!stopping_) {
            Clock::time_point now = Clock::now();
            wakeAt_ = Clock::time_point::max();
            for (auto& [token, w] : watches_) {
                // A returned call whose cancel still waits on the server
                // is kept until that cancel's sockets are shut down too.
                if (w.due <= now && (!w.returned || w.cancelling)) {
                    if (w.stage == Stage::Running && w.hstmt) {
                        w.stage = Stage::Cancelling;
                        w.cancelling = true;
                        w.beforeCancel = peerSockets();
                        cancels_.push_back(token);
                        w.due = now + limits_.shutdownGrace;
                        changed_.notify_all();
                    } else {
                        shutDown(w);
                        w.stage = Stage::ShutDown;
                        // Again after a grace while a cancel may still open
                        // its own connection to the frozen server.
                        w.due = now + limits_.shutdownGrace;
                    }
                }
                if (!w.returned || w.cancelling)
                    wakeAt_ = std::min(wakeAt_, w.due);
            }
            if (wakeAt_ == Clock::time_point::max())
                changed_.wait(hold);
            else
                changed_.wait_until(hold, wakeAt_);
        }
    }

    void runCancels()
    {
        std::unique_lock<std::mutex> hold(lock_);
        for (;;) {
            changed_.wait(hold, [&] { return stopping_ || !cancels_.empty(); });
            if (cancels_.empty())
                return;
            uint64_t token = cancels_.front();
            cancels_.erase(cancels_.begin());
            Watch& w = watches_.at(token);  // kept while cancelling is set
            // A call that has just returned is not cancelled: on a statement
            // with nothing running, SQLCancel closes its cursor.
            if (!w.returned) {
                SQLHSTMT h = w.hstmt;
                hold.unlock();
                SQLCancel(h);
                hold.lock();
            }
            watches_.at(token).cancelling = false;
            cancelDone_.notify_all();
        }
    }

    std::mutex lock_;
    std::condition_variable changed_;
    std::condition_variable cancelDone_;
    std::map<uint64_t, Watch> watches_;
    std::vector<uint64_t> cancels_;
    uint64_t lastToken_ = 0;
    Clock::time_point wakeAt_ = Clock::time_point::max();
    WatchLimits limits_;
    bool stopping_ = false;
    std::thread timer_;
    std::thread canceller_;
};

Watchdog& watchdog()
{
    static Watchdog w;
    return w;
}

}  // namespace

WatchLimits watchLimits() { return watchdog().limits(); }

void setWatchLimits(const WatchLimits& limits) { watchdog().setLimits(limits); }

namespace {
thread_local bool watching = false;  // a CallWatch of this thread is armed
}

void CallWatch::start(SQLHSTMT h)
{
    const ActiveDatabase& db = activeDatabase();
    if (watching || !db.watchedSockets)
        return;
    WatchLimits limits = watchdog().limits();
    std::chrono::milliseconds limit = limits.call;
    if (limit.count() == 0)
        limit = std::chrono::seconds(db.queryTimeoutOff || db.queryTimeout == 0 ? 15 : db.queryTimeout);
    token_ = watchdog().arm(h, db.watchedSockets, limit + limits.cancelGrace);
    watching = token_ != 0;
}

void CallWatch::stop()
{
    watchdog().disarm(token_);
    watching = false;
}

}  // namespace pelund
