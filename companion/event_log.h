// What the server records: four kinds of events, each kept as the latest
// lines with their times for the web pages and written to standard error
// for the journal; and the figures the start page shows. Written by the
// event loop, read by the web threads.
#ifndef PELUND_COMPANION_EVENT_LOG_H
#define PELUND_COMPANION_EVENT_LOG_H

#include <atomic>
#include <cstdint>
#include <ctime>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace pelund::companion {

enum class EventKind { debug, error, usage, access };

struct LogLine {
    std::time_t time;
    std::string text;
};

struct UploadRecord {
    std::string name;
    uint64_t size;
    std::time_t time;
};

class EventLog {
public:
    static constexpr size_t keptLines = 1000;
    static constexpr size_t keptUploads = 20;

    void note(EventKind kind, const std::string& text);
    std::vector<LogLine> lines(EventKind kind) const;

    void uploaded(const std::string& name, uint64_t size);
    std::vector<UploadRecord> latestUploads() const;
    uint64_t uploadCount() const;

    void setPlugins(std::vector<std::string> namesAndVersions);
    std::vector<std::string> plugins() const;

    std::atomic<uint64_t> clientsNow{0}, clientsTotal{0};
    bool toStandardError = true;
    const std::time_t started = std::time(nullptr);

private:
    mutable std::mutex mutex_;
    std::deque<LogLine> lines_[4];
    std::deque<UploadRecord> uploads_;
    uint64_t uploadCount_ = 0;
    std::vector<std::string> plugins_;
};

const char* kindName(EventKind kind);

}  // namespace pelund::companion

#endif
