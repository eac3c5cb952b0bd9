// store: keeps every message it receives, in a temporary file of the
// conversation's own (within the host's disk quota); a "B" message of the
// text "get" is answered with the oldest kept item, an empty reply when
// none is left. A message that would pass the quota ends the conversation.
#include "pelund-companion/plugin.h"

#include <fcntl.h>
#include <unistd.h>

#include <deque>
#include <new>
#include <string>
#include <utility>

namespace {

struct Store {
    const pelund_companion_host* host;
    int fd = -1;
    uint64_t end = 0;                                 // bytes written to the file
    std::deque<std::pair<uint64_t, uint64_t>> items;  // offset and length of each kept item
    char kind = 0;
    uint32_t length = 0;
    std::string small;  // a 3-byte "B" message, held until it is known whether it is "get"
};

bool isSmall(const Store& s)
{
    return s.kind == 'B' && s.length == 3;
}

int reply(Store& s, uint64_t offset, uint64_t length)
{
    if (s.host->reply_begin(s.host->server, uint32_t(length)) != 0)
        return -1;
    char buffer[65536];
    while (length > 0) {
        size_t n = length < sizeof buffer ? size_t(length) : sizeof buffer;
        if (pread(s.fd, buffer, n, off_t(offset)) != ssize_t(n) ||
            s.host->reply_write(s.host->server, buffer, n) != 0)
            return -1;
        offset += n;
        length -= n;
    }
    return 0;
}

int append(Store& s, const void* bytes, size_t length)
{
    if (s.end + length > s.host->disk_quota)
        return -1;
    if (s.fd < 0)
        s.fd = open(s.host->temp_folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (s.fd < 0 || pwrite(s.fd, bytes, length, off_t(s.end)) != ssize_t(length))
        return -1;
    s.end += length;
    return 0;
}

void* storeOpen(const pelund_companion_host* host)
{
    auto* s = new (std::nothrow) Store;
    if (s)
        s->host = host;
    return s;
}

int storeBegin(void* c, char kind, uint32_t length)
{
    auto& s = *static_cast<Store*>(c);
    s.kind = kind;
    s.length = length;
    s.small.clear();
    if (s.end + length > s.host->disk_quota)
        return -1;
    if (!isSmall(s))
        s.items.emplace_back(s.end, length);
    return 0;
}

int storeData(void* c, const void* bytes, size_t length)
{
    auto& s = *static_cast<Store*>(c);
    if (isSmall(s)) {
        s.small.append(static_cast<const char*>(bytes), length);
        return 0;
    }
    return append(s, bytes, length);
}

int storeEnd(void* c)
{
    auto& s = *static_cast<Store*>(c);
    if (!isSmall(s))
        return 0;
    if (s.small != "get") {
        s.items.emplace_back(s.end, 3);
        return append(s, s.small.data(), s.small.size());
    }
    if (s.items.empty())
        return s.host->reply_begin(s.host->server, 0);
    auto [offset, length] = s.items.front();
    s.items.pop_front();
    int result = reply(s, offset, length);
    if (s.items.empty() && s.fd >= 0 && ftruncate(s.fd, 0) == 0)
        s.end = 0;  // nothing kept: the file starts over
    return result;
}

void storeClose(void* c)
{
    auto* s = static_cast<Store*>(c);
    if (s->fd >= 0)
        close(s->fd);
    delete s;
}

const pelund_companion_plugin store = {
    PELUND_COMPANION_PLUGIN_ABI, "store", "1.0.0", storeOpen, storeBegin, storeData, storeEnd, storeClose,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const pelund_companion_plugin* pelund_companion_plugin_entry()
{
    return &store;
}
