/* The interface between the companion server and its plug-ins.

   A plug-in is a shared object in the server's plug-in folder that exports
   one function, pelund_companion_plugin_entry, returning a description of
   itself. The server loads every "*.so" of the folder at start. A client
   opens a conversation by name ("%" NAME NUL); the server then calls open,
   and for each "B" or "F" message message_begin, message_data once per
   piece of the payload as it arrives (possibly many times, possibly zero
   times for an empty message) and message_end; close ends the conversation
   (on "X", when the client goes, or after a failure).

   All calls for one conversation come one at a time from one thread: the
   server's event loop, or, for a plug-in the server runs isolated, the
   thread of a host process of its own for this one conversation
   (companion-plugin-host; see docs/companion-plugins.md). In the server's
   process a plug-in must not block; isolated it may, within the server's
   message time. A plug-in must not keep the host pointer beyond close.
   Every callback that returns int returns 0 for success; any other value
   is a failure, which ends this conversation only: the server closes the
   client's connection and calls close. Isolated, a crash or a kill ends
   the conversation the same way (without close).

   Replies: reply_begin announces a reply of COUNT bytes (the client sees
   the count as an unsigned 32-bit number and then the bytes), reply_write
   hands over the next bytes of it. A reply may be written at any time while
   the conversation is open, in as many pieces as the plug-in likes; a
   reply must be complete before the next one begins and before close. The
   server queues replies in memory up to its limit and on disk beyond it;
   when neither can take more, reply_begin or reply_write fails and the
   plug-in should return a failure.

   This header is not part of PelundLib's interface. */
#ifndef PELUND_COMPANION_PLUGIN_H
#define PELUND_COMPANION_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The interface version a plug-in is built against; the server refuses
   plug-ins of another version. */
#define PELUND_COMPANION_PLUGIN_ABI 1

/* Kinds of log lines a plug-in may write through the host. */
#define PELUND_COMPANION_LOG_DEBUG 1
#define PELUND_COMPANION_LOG_ERROR 2
#define PELUND_COMPANION_LOG_USAGE 3

/* What the server gives each conversation. Valid from open to close. */
struct pelund_companion_host {
    void* server;                /* pass to the functions below */
    int (*reply_begin)(void* server, uint32_t count);
    int (*reply_write)(void* server, const void* bytes, size_t length);
    void (*log)(void* server, int kind, const char* text);
    const char* temp_folder;     /* for temporary files (prefer O_TMPFILE) */
    uint64_t message_limit;      /* the largest payload the server passes on */
    uint64_t disk_quota;         /* temporary disk this conversation may use */
};

struct pelund_companion_plugin {
    uint32_t abi;                /* PELUND_COMPANION_PLUGIN_ABI */
    const char* name;            /* what clients open; at most 255 bytes */
    const char* version;         /* sent after "OK"; at most 5 bytes */
    /* Starts a conversation; returns its state (any non-null pointer) or
       null to refuse it. */
    void* (*open)(const struct pelund_companion_host* host);
    /* KIND is 'B' or 'F'; LENGTH the payload's byte count. */
    int (*message_begin)(void* conversation, char kind, uint32_t length);
    int (*message_data)(void* conversation, const void* bytes, size_t length);
    int (*message_end)(void* conversation);
    void (*close)(void* conversation);
};

/* The one function a plug-in exports. */
#define PELUND_COMPANION_PLUGIN_ENTRY "pelund_companion_plugin_entry"
typedef const struct pelund_companion_plugin* (*pelund_companion_plugin_entry_fn)(void);

#ifdef __cplusplus
}
#endif

#endif
