#pragma once
// The event-log writer: records about the logging facility itself go straight to the system's
// event log under the source "Veltrix_<name>", never through the logging libraries. When the
// log cannot be reached they are appended as text lines to "event.log" in the logging folder.

#include "platform/wintypes/Types.h"
#include "vardex/support/sstring.h"

// The logging folder when the logging key names none: "Halvorn Software/Logging" under the
// user's data folder (registry::dataHome: $XDG_DATA_HOME, else ~/.local/share); empty without a
// home. It is made, for the user only, when a record first needs it.
SString SDefaultLoggingPath();

// Sets the event source name from the logging source name and registers the source's values
// (all four when `first`, else only the missing ones). False when the logging key is missing.
bool RegisterLogEventSource(const char* sourceName, bool first);
// The event source name set by RegisterLogEventSource.
SString GetLogEventSourceName();

// One record by message identifier (its texts in order, null texts skipped) or given as
// text; a server name other than the local machine's is refused. True when written.
bool ReportEventDirect(const char* serverName, const char* eventSourceName, WORD eventType,
                       const char* const* texts, WORD category, WORD count, DWORD messageId);
bool ReportTextDirect(const char* serverName, const char* eventSourceName, WORD eventType,
                      const char* text, WORD category);
