// drawing-properties: takes a drawing (a "F" or "B" message), keeps it in a
// temporary file while it arrives, and answers with one text reply:
//
//   DGN V8: yes|no
//   SET<TAB>NAME<TAB>VALUE      one line per document property
//
// SET is summary, document or user-defined; tabs, line ends and
// backslashes in names and values are written \t, \n, \r and \\. A file
// that is not a compound file has the first line only.
#include "drawing/document_properties.h"
#include "pelund-companion/plugin.h"
#include "pelund/drawing.h"
#include "platform/compound_file.h"
#include "text/copy_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <new>
#include <string>

namespace {

struct Conversation {
    const pelund_companion_host* host;
    int fd = -1;
    uint64_t written = 0;
};

std::string describe(int fd)
{
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    std::string text = std::string("DGN V8: ") + (psFile_isV8Dgn(path.c_str()) ? "yes" : "no") + "\n";
    pelund::CompoundOpen status;
    auto file = pelund::CompoundFile::open(path, &status);
    if (!file)
        return text;
    pelund::forEachDocumentProperty(*file, [&](const char* set, const std::string& name, const std::string& value) {
        text += std::string(set) + "\t" + pelund::copyText(name) + "\t" + pelund::copyText(value) + "\n";
    });
    return text;
}

void* propertiesOpen(const pelund_companion_host* host)
{
    auto* c = new (std::nothrow) Conversation;
    if (c)
        c->host = host;
    return c;
}

int propertiesBegin(void* conversation, char, uint32_t length)
{
    auto& c = *static_cast<Conversation*>(conversation);
    if (length > c.host->disk_quota)
        return -1;
    if (c.fd >= 0)
        close(c.fd);
    c.fd = open(c.host->temp_folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    c.written = 0;
    return c.fd >= 0 ? 0 : -1;
}

int propertiesData(void* conversation, const void* bytes, size_t length)
{
    auto& c = *static_cast<Conversation*>(conversation);
    if (pwrite(c.fd, bytes, length, off_t(c.written)) != ssize_t(length))
        return -1;
    c.written += length;
    return 0;
}

int propertiesEnd(void* conversation)
{
    auto& c = *static_cast<Conversation*>(conversation);
    std::string text;
    try {
        text = describe(c.fd);
    } catch (...) {
        return -1;
    }
    close(c.fd);
    c.fd = -1;
    if (c.host->reply_begin(c.host->server, uint32_t(text.size())) != 0)
        return -1;
    return c.host->reply_write(c.host->server, text.data(), text.size());
}

void propertiesClose(void* conversation)
{
    auto* c = static_cast<Conversation*>(conversation);
    if (c->fd >= 0)
        close(c->fd);
    delete c;
}

const pelund_companion_plugin properties = {
    PELUND_COMPANION_PLUGIN_ABI, "drawing-properties", "1.0.0", propertiesOpen, propertiesBegin, propertiesData,
    propertiesEnd, propertiesClose,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const pelund_companion_plugin* pelund_companion_plugin_entry()
{
    return &properties;
}
