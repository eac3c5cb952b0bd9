/** @file
   PelundLib: the client of the companion server. Each exchange opens its own
   TCP connection, reads the server's greeting, sends one request and closes
   again. Progress goes to an optional debug log: a file that must exist,
   named by the LOG_PATH argument (null or empty: no log). Message buffers
   have no capacity argument and must hold the longest text with host and
   port filled in (512 characters serve). */
#ifndef PELUND_SERVER_H
#define PELUND_SERVER_H

#include <stdio.h>

#include "pelund/common.h"

PELUND_BEGIN_DECLS

/** @{ */
/** Result codes of the server functions besides PS_SUCCESS and PS_FAILURE
    (common.h): no connection or no greeting from the server; the server's
    version could not be read from its greeting; the graceful close of a
    connection failed. */
#define PS_SERVER_NO_CONNECTION 6
#define PS_SERVER_NO_VERSION 7
#define PS_SERVER_SHUTDOWN_FAILED 3
/** @} */

/** @{ */
/** Send COMMAND to the server at HOST:PORT and copy at most CAPACITY bytes
   of its answer into RESPONSE (may be null: the answer is dropped), the
   count into *LENGTH (may be null); no terminator is added. MESSAGE is
   required and receives the status or failure text. Return 0 or 0x8000. */
PELUND_API int vnServer_sendCommand(const char* host, const char* port, const char* command,
                                    char* response, size_t capacity, size_t* length,
                                    char* message, const char* log_path);
PELUND_API int vnServer_sendCommandW(const ps_char16* host, const ps_char16* port,
                                     const ps_char16* command, char* response, size_t capacity,
                                     size_t* length, ps_char16* message,
                                     const ps_char16* log_path);
/** @} */

/** @{ */
/** Start the socket library (on this platform: note that it runs). Write
   "Winsock started ok.\n" into MESSAGE (may be null) when it was not
   running. Return 0, or the platform's error number. */
PELUND_API int vnServer_startWinsock(char* message);
PELUND_API int vnServer_startWinsockW(ps_char16* message);
/** @} */

/** @{ */
/** Upload the local file PATH under NAME with the caller's KIND code.
   Return 0, 6 when no connection or greeting, or 0x8000. */
PELUND_API int vnServer_sendFile(const char* host, const char* port, const char* path,
                                 const char* name, int kind, const char* log_path);
/** @} */

/** @{ */
/** Open `http://HOST:<web port>PAGE` in the user's browser, the web port asked
   of the server. Return 0 or 0x8000. */
PELUND_API int vnServer_getHTMLFile(const char* host, const char* port, const char* page,
                                    char* message, const char* log_path);
/** @} */

/** @{ */
/** Open one of the server's log pages in the browser: KIND 1 the debug log,
   2 the error log, 3 the usage log, 4 the access log, any other the start
   page. Return 0 or 0x8000. */
PELUND_API int vnServer_openHTMLLog(const char* host, const char* port, int kind, char* message,
                                    const char* log_path);
/** @} */

/* --- Plug-in connections ---------------------------------------------- */

/** An open conversation with a plug-in of the server, from
   vnServer_openConnectionToPlugin until vnServer_closeConnectionToPlugin. */
typedef struct socketData {
    int socket;               /**< the connected socket */
    size_t maxReceiveBufSize; /**< the socket's receive-buffer size */
    size_t maxSendBufSize;    /**< the socket's send-buffer size: largest chunk */
} socketData;

/** @{ */
/** Connect to HOST:PORT and open the plug-in NAME (at most 270 characters);
   *CONNECTION receives the record, VERSION (6 bytes, may be null) the
   plug-in's version text. Return 0; 6 without connection or greeting (no
   record); 0x8000 when the name is refused or too long (after a refusal the
   record is stored and must be closed). Start the socket library first
   (vnServer_startWinsock). */
PELUND_API int vnServer_openConnectionToPlugin(socketData** connection, const char* host,
                                               const char* port, const char* name,
                                               char* version, const char* log_path);
/** @} */

/** @{ */
/** End the conversation, close the connection and free the record. */
PELUND_API void vnServer_closeConnectionToPlugin(socketData* connection);
/** @} */

/** @{ */
/** Send LENGTH bytes of DATA (a file's content) to the plug-in. Return 0 or
   0x8000. */
PELUND_API int vnServer_sendBufferToPlugin(socketData* connection, const void* data,
                                           size_t length);
PELUND_API int vnServer_sendFileToPlugin(socketData* connection, const char* path);
/** @} */

/** @{ */
/** Receive one reply of the plug-in into a new buffer (*BUFFER, *SIZE bytes;
   release with psMisc_freeBuffer). Return 0, or 0x8000 when the reply is
   short or the connection fails before it is whole (no buffer then). */
PELUND_API int vnServer_getDataFromPlugin(socketData* connection, void** buffer, size_t* size);
/** @} */

/** @{ */
/** Receive one reply into the local file PATH, which is replaced only once
   the whole reply has arrived (a failed reply leaves it as it was). A file
   that cannot be written is skipped and the reply drained: still 0. Return
   0, or 0x8000 when the reply is short or the connection fails before it is
   whole. */
PELUND_API int vnServer_getFileFromPlugin(socketData* connection, const char* path);
/** @} */

/** @{ */
/** Write the local time, "> " and the formatted message to FILE and flush;
   nothing for a null FILE or FORMAT. */
PELUND_API void vnws_debugMessageByFile(FILE* file, const char* format, ...);
/** @} */

/** @{ */
/** Returns the debug log stream while the log is open, else null. */
PELUND_API FILE* vnws_getDebugLogFileP(void);
/** @} */

PELUND_END_DECLS

#endif
