/* A plug-in that misbehaves on request, for the tests: a message "crash"
   crashes the process it runs in, "abort" aborts it, "sleep" sleeps for
   30 s, "fail" fails, "grab" fails unless it can allocate 1 GiB; any other
   message is echoed back. */
#include "pelund-companion/plugin.h"

#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

struct conversation {
    const struct pelund_companion_host* host;
    char start[8];
    size_t have;
};

static struct conversation the_conversation;

static void* misbehaving_open(const struct pelund_companion_host* host)
{
    the_conversation.host = host;
    return &the_conversation;
}

static int misbehaving_begin(void* c, char kind, uint32_t length)
{
    struct conversation* conversation = c;
    (void)kind;
    conversation->have = 0;
    return conversation->host->reply_begin(conversation->host->server, length);
}

static int misbehaving_data(void* c, const void* bytes, size_t length)
{
    struct conversation* conversation = c;
    size_t keep = sizeof conversation->start - conversation->have;
    memcpy(conversation->start + conversation->have, bytes, length < keep ? length : keep);
    conversation->have += length < keep ? length : keep;
    return conversation->host->reply_write(conversation->host->server, bytes, length);
}

static int misbehaving_end(void* c)
{
    struct conversation* conversation = c;
    if (conversation->have == 5 && memcmp(conversation->start, "crash", 5) == 0)
        raise(SIGSEGV);
    if (conversation->have == 5 && memcmp(conversation->start, "abort", 5) == 0)
        abort();
    if (conversation->have == 5 && memcmp(conversation->start, "sleep", 5) == 0)
        sleep(30);
    if (conversation->have == 4 && memcmp(conversation->start, "fail", 4) == 0)
        return -1;
    if (conversation->have == 4 && memcmp(conversation->start, "grab", 4) == 0) {
        void* block = malloc((size_t)1 << 30);
        free(block);
        return block ? 0 : -1;
    }
    return 0;
}

static void misbehaving_close(void* c)
{
    (void)c;
}

static const struct pelund_companion_plugin misbehaving = {
    PELUND_COMPANION_PLUGIN_ABI, "misbehaving", "0.0.1", misbehaving_open, misbehaving_begin, misbehaving_data,
    misbehaving_end, misbehaving_close,
};

__attribute__((visibility("default"))) const struct pelund_companion_plugin* pelund_companion_plugin_entry(void)
{
    return &misbehaving;
}
