#pragma once
// The event log in the manner of the platform's event-log calls, over the system log: each
// record is one datagram to the syslog socket (/dev/log, or the socket named by
// $VARDEX_EVENTLOG_SOCKET), of facility "user", tagged with the event source name and the
// process id:
//   <PRI>Mmm dd hh:mm:ss SOURCE[PID]: [category C, event E] TEXT
// with the insertion strings joined by blanks as TEXT. Event types map to severities:
//   1 error -> err, 2 warning -> warning, 4 information -> info, 8 audit success -> notice,
//   16 audit failure -> warning, 256 debug -> debug, any other -> notice.

#include "platform/wintypes/Types.h"

struct EventSource;
using HANDLE_EVENTLOG = EventSource*;

inline constexpr WORD EVENTLOG_ERROR_TYPE = 0x0001;
inline constexpr WORD EVENTLOG_WARNING_TYPE = 0x0002;
inline constexpr WORD EVENTLOG_INFORMATION_TYPE = 0x0004;
inline constexpr WORD EVENTLOG_AUDIT_SUCCESS = 0x0008;
inline constexpr WORD EVENTLOG_AUDIT_FAILURE = 0x0010;
inline constexpr WORD EVENTLOG_DEBUG_TYPE = 0x0100;

// The syslog severity of an event type.
int EventLogSeverity(WORD eventType);

// Opens the source on the local machine's log. Null when a server is named (there is no
// remote log) or the log's socket cannot be reached.
HANDLE_EVENTLOG RegisterEventSourceA(const char* serverName, const char* sourceName);
BOOL DeregisterEventSource(HANDLE_EVENTLOG source);
// Sends one record; TRUE when the log took it.
BOOL ReportEventA(HANDLE_EVENTLOG source, WORD type, WORD category, DWORD eventId, void* userSid,
                  WORD numStrings, DWORD dataSize, const char** strings, void* rawData);
