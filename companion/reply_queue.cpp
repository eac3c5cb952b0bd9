#include "companion/reply_queue.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace pelund::companion {

namespace {
constexpr size_t pieceSize = 256 * 1024;
}

ReplyQueue::~ReplyQueue()
{
    budget_.memoryUsed -= memoryBytes_;
    budget_.diskUsed -= spoolEnd_ - spoolStart_;
    if (spoolFd_ >= 0)
        close(spoolFd_);
}

bool ReplyQueue::append(const void* data, size_t length)
{
    const char* bytes = static_cast<const char*>(data);
    if (spoolEnd_ == spoolStart_) {
        uint64_t room = std::min(memoryLimit_ > memoryBytes_ ? memoryLimit_ - memoryBytes_ : 0,
                                 budget_.memoryLimit > budget_.memoryUsed ? budget_.memoryLimit - budget_.memoryUsed : 0);
        if (length > room && !spool(nullptr, 0))
            return false;  // would not fit, and no spool to take the rest
        size_t inMemory = size_t(std::min<uint64_t>(room, length));
        for (size_t done = 0; done < inMemory;) {
            // A piece never grows beyond its capacity: the front piece may be
            // in the middle of a write.
            if (memory_.empty() || memory_.back().size() == memory_.back().capacity()) {
                memory_.emplace_back();
                memory_.back().reserve(std::min(pieceSize, std::max<size_t>(inMemory - done, 4096)));
            }
            size_t n = std::min(inMemory - done, memory_.back().capacity() - memory_.back().size());
            memory_.back().append(bytes + done, n);
            done += n;
        }
        memoryBytes_ += inMemory;
        budget_.memoryUsed += inMemory;
        bytes += inMemory;
        length -= inMemory;
    }
    return length == 0 || spool(bytes, length);
}

// Appends to the spool file, creating it first; with no bytes, only checks
// that the spool is there.
bool ReplyQueue::spool(const char* bytes, size_t length)
{
    if (budget_.diskUsed + length > budget_.diskLimit)
        return false;
    if (spoolFd_ < 0)
        spoolFd_ = open(budget_.spoolFolder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (spoolFd_ < 0)
        return false;
    for (size_t done = 0; done < length;) {
        ssize_t n = pwrite(spoolFd_, bytes + done, length - done, off_t(spoolEnd_ + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A full disk: the bytes written so far are not counted.
            return false;
        }
        done += size_t(n);
    }
    spoolEnd_ += length;
    budget_.diskUsed += length;
    return true;
}

std::string_view ReplyQueue::front()
{
    if (!memory_.empty())
        return std::string_view(memory_.front()).substr(frontOffset_);
    if (spoolStart_ == spoolEnd_)
        return {};
    if (readValid_ == 0) {
        readBuffer_.resize(pieceSize);
        size_t want = size_t(std::min<uint64_t>(pieceSize, spoolEnd_ - spoolStart_));
        ssize_t n = pread(spoolFd_, readBuffer_.data(), want, off_t(spoolStart_));
        if (n <= 0)
            return {};
        readValid_ = size_t(n);
    }
    return {readBuffer_.data(), readValid_};
}

void ReplyQueue::consume(size_t count)
{
    if (!memory_.empty()) {
        frontOffset_ += count;
        memoryBytes_ -= count;
        budget_.memoryUsed -= count;
        if (frontOffset_ == memory_.front().size()) {
            memory_.pop_front();
            frontOffset_ = 0;
        }
        return;
    }
    spoolStart_ += count;
    budget_.diskUsed -= count;
    // The rest of the read piece moves to the front.
    std::copy(readBuffer_.begin() + long(count), readBuffer_.begin() + long(readValid_), readBuffer_.begin());
    readValid_ -= count;
    if (spoolStart_ == spoolEnd_) {
        spoolStart_ = spoolEnd_ = 0;
        readValid_ = 0;
        if (ftruncate(spoolFd_, 0) != 0) {
            close(spoolFd_);
            spoolFd_ = -1;
        }
        readBuffer_ = {};
    }
}

}  // namespace pelund::companion
