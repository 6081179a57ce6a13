#include "vardex/support/seventlog.h"

#include "platform/eventlog/EventLog.h"
#include "platform/registry/Registry.h"
#include "platform/reslib/Kernel.h"
#include "vardex/support/registry.h"
#include "vardex/support/sassert.h"
#include "vardex/support/sfilesys.h"
#include "vardex/support/sresmanager.h"
#include "vardex/support/sresstring.h"
#include "vardex/support/stime.h"

#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace {

const char* const kEventSourceKey = "System\\CurrentControlSet\\Services\\EventLog\\Application\\";
constexpr uint32_t kDefaultCategoryCount = 22;
constexpr uint32_t kDefaultTypesSupported = 31;

std::mutex g_sourceNameMutex;
SString g_eventSourceName;

bool IsNtPlatform()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// The value as a number, its default when it does not read as one.
uint32_t NumberValue(Registry& key, const char* name, uint32_t defaultValue)
{
    uint32_t number = 0;
    return SStringConv::ToULong(key.ReadValue(name, defaultValue).GetString(), number)
               ? number
               : defaultValue;
}

// One direct write: to the event log, or to the fallback file when the log cannot be reached
// (or the platform has none).
class EventLogWriter
{
public:
    // `makeFolder`: the fallback file's folder is made (for the user only) when it is missing.
    EventLogWriter(const SString& fallbackPath, bool makeFolder)
        : m_fallbackPath(fallbackPath), m_makeFolder(makeFolder)
    {
    }
    ~EventLogWriter() { Close(); }

    bool Open(const char* serverName, const char* sourceName)
    {
        if (IsNtPlatform()) {
            if (!m_source)
                m_source = RegisterEventSourceA(serverName, sourceName);
            if (m_source || (serverName && *serverName))
                return m_source != nullptr;
        }
        const SString path = m_fallbackPath.IsEmpty() ? SString("event.log") : m_fallbackPath;
        if (m_makeFolder) {
            SString drive, folder;
            SSplitPath(path.GetString(), &drive, &folder, nullptr, nullptr);
            registry::makePrivateFolders((drive + folder).GetString());
        }
        m_file = open(path.GetString(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        return m_file >= 0;
    }

    bool Write(WORD eventType, WORD category, DWORD eventId, const SString& text)
    {
        // clang-format off
        SASSERT((eventType == 0x0001) || (eventType == 0x0002) || (eventType == 0x0004) || (eventType == 0x0100) || (eventType == 0x0008) || (eventType == 0x0010));
        // clang-format on
        if (m_source) {
            const char* strings[] = {text.GetString()};
            return ReportEventA(m_source, eventType, category, eventId, nullptr, 1, 0, strings,
                                nullptr);
        }
        SString line =
            SDateTime::Now().Format("M'/'d'/'yy'   'H':'mm':'ss'    '", STimeZone::System());
        line.AppendNumber(uint32_t(eventType));
        line += "    ";
        line.AppendNumber(uint32_t(category));
        line += "      ";
        line += text;
        line += "\n";
        // One write per line, appended: lines of several threads never interleave.
        return write(m_file, line.GetString(), std::size_t(line.GetLength())) ==
               ssize_t(line.GetLength());
    }

private:
    void Close()
    {
        if (m_source)
            DeregisterEventSource(m_source);
        if (m_file >= 0)
            close(m_file);
        m_source = nullptr;
        m_file = -1;
    }

    SString m_fallbackPath;
    bool m_makeFolder;
    HANDLE_EVENTLOG m_source = nullptr;
    int m_file = -1;
};

bool WriteDirect(const char* serverName, const char* eventSourceName, WORD eventType, WORD category,
                 DWORD eventId, const SString& text)
{
    // The default is written only into a logging key that exists: a write must not create the
    // key, whose presence switches the logging on.
    LoggingRegistry logging;
    const SString defaultFolder = SDefaultLoggingPath();
    const SString folder =
        logging.KeyExists() ? logging.ReadValue("loggingPath", defaultFolder) : defaultFolder;
    EventLogWriter writer(SMakePath(nullptr, folder.GetString(), "event", "log"),
                          !defaultFolder.IsEmpty() && folder == defaultFolder);
    if (!writer.Open(serverName, eventSourceName))
        return false;
    return writer.Write(eventType, category, eventId, text);
}

} // namespace

SString SDefaultLoggingPath()
{
    const std::string data = registry::dataHome();
    return data.empty() ? SString() : SString((data + "/Halvorn Software/Logging").c_str());
}

bool RegisterLogEventSource(const char* sourceName, bool first)
{
    LoggingRegistry logging;
    const bool exists = logging.KeyExists();
    SString name;
    SSplitPath(sourceName, nullptr, nullptr, &name, nullptr);
    {
        std::lock_guard guard(g_sourceNameMutex);
        g_eventSourceName = SString("Veltrix_") + name;
    }
    if (!exists)
        return false;
    const uint32_t categoryCount = NumberValue(logging, "CategoryCount", kDefaultCategoryCount);
    const uint32_t typesSupported = NumberValue(logging, "TypesSupported", kDefaultTypesSupported);
    Registry source(HKEY_LOCAL_MACHINE, SString(kEventSourceKey) + GetLogEventSourceName());
    const SString messageFile = GetStringsLibraryPath();
    if (first) {
        source.WriteValue("EventMessageFile", messageFile.GetString());
        source.WriteValue("CategoryMessageFile", messageFile.GetString());
        source.WriteValue("CategoryCount", categoryCount);
        source.WriteValue("TypesSupported", typesSupported);
    } else {
        source.ReadValue("EventMessageFile", messageFile);
        source.ReadValue("CategoryMessageFile", messageFile);
        source.ReadValue("CategoryCount", categoryCount);
        source.ReadValue("TypesSupported", typesSupported);
    }
    return true;
}

SString GetLogEventSourceName()
{
    std::lock_guard guard(g_sourceNameMutex);
    return g_eventSourceName;
}

bool ReportEventDirect(const char* serverName, const char* eventSourceName, WORD eventType,
                       const char* const* texts, WORD category, WORD count, DWORD messageId)
{
    return WriteDirect(serverName, eventSourceName, eventType, category, messageId,
                       SResFormat(messageId, texts, count));
}

bool ReportTextDirect(const char* serverName, const char* eventSourceName, WORD eventType,
                      const char* text, WORD category)
{
    return WriteDirect(serverName, eventSourceName, eventType, category, 0, SString(text));
}
