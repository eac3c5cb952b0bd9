/* echo: answers every message with its own bytes, streamed back as they
   arrive, so that a message of any size passes through in small pieces. */
#include "pelund-companion/plugin.h"

static void* echo_open(const struct pelund_companion_host* host)
{
    return (void*)host;
}

static int echo_begin(void* conversation, char kind, uint32_t length)
{
    const struct pelund_companion_host* host = conversation;
    (void)kind;
    return host->reply_begin(host->server, length);
}

static int echo_data(void* conversation, const void* bytes, size_t length)
{
    const struct pelund_companion_host* host = conversation;
    return host->reply_write(host->server, bytes, length);
}

static int echo_end(void* conversation)
{
    (void)conversation;
    return 0;
}

static void echo_close(void* conversation)
{
    (void)conversation;
}

static const struct pelund_companion_plugin echo = {
    PELUND_COMPANION_PLUGIN_ABI, "echo", "1.0.0", echo_open, echo_begin, echo_data, echo_end, echo_close,
};

__attribute__((visibility("default"))) const struct pelund_companion_plugin* pelund_companion_plugin_entry(void)
{
    return &echo;
}
