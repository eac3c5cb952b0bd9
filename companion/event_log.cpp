#include "companion/event_log.h"

#include <cstdio>

namespace pelund::companion {

const char* kindName(EventKind kind)
{
    static const char* const names[] = {"debug", "error", "usage", "access"};
    return names[int(kind)];
}

void EventLog::note(EventKind kind, const std::string& text)
{
    // Client text may hold anything: control characters are shown as '?'
    // so that one line stays one line.
    std::string clean = text;
    for (char& c : clean)
        if ((unsigned char)c < 0x20 || c == 0x7F)
            c = '?';
    if (toStandardError)
        std::fprintf(stderr, "companion-server: %s: %s\n", kindName(kind), clean.c_str());
    std::lock_guard lock(mutex_);
    auto& kept = lines_[int(kind)];
    kept.push_back({std::time(nullptr), std::move(clean)});
    if (kept.size() > keptLines)
        kept.pop_front();
}

std::vector<LogLine> EventLog::lines(EventKind kind) const
{
    std::lock_guard lock(mutex_);
    return {lines_[int(kind)].begin(), lines_[int(kind)].end()};
}

void EventLog::uploaded(const std::string& name, uint64_t size)
{
    std::lock_guard lock(mutex_);
    uploads_.push_back({name, size, std::time(nullptr)});
    if (uploads_.size() > keptUploads)
        uploads_.pop_front();
    ++uploadCount_;
}

std::vector<UploadRecord> EventLog::latestUploads() const
{
    std::lock_guard lock(mutex_);
    return {uploads_.rbegin(), uploads_.rend()};
}

uint64_t EventLog::uploadCount() const
{
    std::lock_guard lock(mutex_);
    return uploadCount_;
}

void EventLog::setPlugins(std::vector<std::string> namesAndVersions)
{
    std::lock_guard lock(mutex_);
    plugins_ = std::move(namesAndVersions);
}

std::vector<std::string> EventLog::plugins() const
{
    std::lock_guard lock(mutex_);
    return plugins_;
}

}  // namespace pelund::companion
