#include "platform/eventlog/EventLog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

struct EventSource
{
    int socket = -1;
    std::string name;
};

namespace {
const char* SocketPath()
{
    const char* path = std::getenv("VARDEX_EVENTLOG_SOCKET");
    return path && *path ? path : "/dev/log";
}
} // namespace

int EventLogSeverity(WORD eventType)
{
    switch (eventType) {
    case EVENTLOG_ERROR_TYPE:
        return LOG_ERR;
    case EVENTLOG_WARNING_TYPE:
    case EVENTLOG_AUDIT_FAILURE:
        return LOG_WARNING;
    case EVENTLOG_INFORMATION_TYPE:
        return LOG_INFO;
    case EVENTLOG_DEBUG_TYPE:
        return LOG_DEBUG;
    default:
        return LOG_NOTICE;
    }
}

HANDLE_EVENTLOG RegisterEventSourceA(const char* serverName, const char* sourceName)
{
    if (serverName && *serverName)
        return nullptr;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const char* path = SocketPath();
    if (std::strlen(path) >= sizeof address.sun_path)
        return nullptr;
    std::strcpy(address.sun_path, path);
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return nullptr;
    }
    return new EventSource{fd, sourceName ? sourceName : ""};
}

BOOL DeregisterEventSource(HANDLE_EVENTLOG source)
{
    if (!source)
        return FALSE;
    close(source->socket);
    delete source;
    return TRUE;
}

BOOL ReportEventA(HANDLE_EVENTLOG source, WORD type, WORD category, DWORD eventId, void*,
                  WORD numStrings, DWORD, const char** strings, void*)
{
    if (!source)
        return FALSE;
    // The standard timestamp ("Dec  1 16:29:05"), in English whatever the host's locale.
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char stamp[32];
    const time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    std::snprintf(stamp, sizeof stamp, "%s %2d %02d:%02d:%02d", months[local.tm_mon % 12],
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    char priority[16], tail[64];
    std::snprintf(priority, sizeof priority, "<%d>", LOG_USER | EventLogSeverity(type));
    std::snprintf(tail, sizeof tail, "[%d]: [category %u, event %u] ", int(getpid()),
                  unsigned(category), unsigned(eventId));
    std::string record = std::string(priority) + stamp + " " + source->name + tail;
    for (WORD i = 0; i < numStrings; ++i) {
        if (i > 0)
            record += ' ';
        record += strings && strings[i] ? strings[i] : "";
    }
    return send(source->socket, record.data(), record.size(), MSG_NOSIGNAL) ==
           ssize_t(record.size());
}
