/* A plug-in that accepts a conversation and fails on its first message,
   for the tests: it must end its own conversation and nothing else. */
#include "pelund-companion/plugin.h"

static void* failing_open(const struct pelund_companion_host* host)
{
    return (void*)host;
}

static int failing_begin(void* c, char kind, uint32_t length)
{
    const struct pelund_companion_host* host = c;
    (void)kind;
    (void)length;
    host->log(host->server, PELUND_COMPANION_LOG_ERROR, "failing as it was built to");
    /* Half a reply, then a failure. */
    return host->reply_begin(host->server, 100) == 0 ? -1 : -2;
}

static int failing_data(void* c, const void* bytes, size_t length)
{
    (void)c;
    (void)bytes;
    (void)length;
    return -1;
}

static int failing_end(void* c)
{
    (void)c;
    return -1;
}

static void failing_close(void* c)
{
    (void)c;
}

static const struct pelund_companion_plugin failing = {
    PELUND_COMPANION_PLUGIN_ABI, "failing", "0.0.1", failing_open, failing_begin, failing_data, failing_end, failing_close,
};

__attribute__((visibility("default"))) const struct pelund_companion_plugin* pelund_companion_plugin_entry(void)
{
    return &failing;
}
