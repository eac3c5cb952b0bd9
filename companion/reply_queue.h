// The bytes a client has yet to read, in order: first in memory, within a
// per-client and an all-clients budget; beyond that in a spool file that
// has no name (O_TMPFILE), within a disk quota shared by all clients. Once
// anything is spooled, later bytes follow it into the spool so that the
// order holds; an emptied spool is truncated and memory is used again.
#ifndef PELUND_COMPANION_REPLY_QUEUE_H
#define PELUND_COMPANION_REPLY_QUEUE_H

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace pelund::companion {

// What all clients share: memory and spool disk in use, and their limits.
struct ReplyBudget {
    uint64_t memoryLimit, memoryUsed = 0;
    uint64_t diskLimit, diskUsed = 0;
    std::string spoolFolder;
};

class ReplyQueue {
public:
    ReplyQueue(ReplyBudget& budget, uint64_t memoryLimit) : budget_(budget), memoryLimit_(memoryLimit) {}
    ~ReplyQueue();
    ReplyQueue(const ReplyQueue&) = delete;
    ReplyQueue& operator=(const ReplyQueue&) = delete;

    // Queues BYTES; false when neither memory nor the spool can take them
    // (the queue is then unchanged).
    bool append(const void* bytes, size_t length);
    bool empty() const { return size() == 0; }
    uint64_t size() const { return memoryBytes_ + spoolEnd_ - spoolStart_; }
    // The next bytes to send (valid until consume or append); empty when
    // the spool cannot be read.
    std::string_view front();
    void consume(size_t count);

private:
    bool spool(const char* bytes, size_t length);

    ReplyBudget& budget_;
    uint64_t memoryLimit_;
    std::deque<std::string> memory_;
    size_t frontOffset_ = 0;
    uint64_t memoryBytes_ = 0;
    int spoolFd_ = -1;
    uint64_t spoolStart_ = 0, spoolEnd_ = 0;
    std::vector<char> readBuffer_;
    size_t readValid_ = 0;
};

}  // namespace pelund::companion

#endif
