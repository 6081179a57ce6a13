#include "vardex/support/slog.h"

#include "platform/registry/Registry.h"
#include "vardex/support/registry.h"
#include "vardex/support/seventlog.h"
#include "vardex/support/sfilesys.h"
#include "vardex/support/sresmanager.h"
#include "vardex/support/sresstring.h"
#include "vardex/support/sstackdump.h"
#include "vardex/support/stime.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The messages of records about the logging itself.
constexpr DWORD kMsgNoLibrary = 34401;
constexpr DWORD kMsgErrorEntryFailed = 34402;
constexpr DWORD kMsgNoText = 34405;
constexpr DWORD kMsgTermFailed = 34406;
constexpr DWORD kMsgNoBinding = 34407;
constexpr DWORD kMsgLoadFailed = 34408;
constexpr DWORD kMsgMissingEntries = 34409;
constexpr DWORD kMsgEmptyPath = 34410;

constexpr uint32_t kDefaultLevel = 4;
constexpr int kTraceMax = 512; // 511 characters and the zero

thread_local LogManager* t_formattingManager = nullptr;

// A record about the logging itself, straight to the event log.
void Direct(WORD eventType, DWORD messageId, const char* text = nullptr)
{
    const SString source = GetLogEventSourceName();
    const char* texts[] = {text};
    ReportEventDirect(nullptr, source.GetString(), eventType, texts, kLogCategoryLogging,
                      text ? 1 : 0, messageId);
}

// Line feeds and carriage returns become blanks.
SString OneLine(const char* text)
{
    SString line;
    const char* run = text ? text : "";
    for (const char* p = run;; ++p) {
        if (*p == '\n' || *p == '\r' || !*p) {
            line.Append(run, int32_t(p - run));
            if (!*p)
                return line;
            line += " ";
            run = p + 1;
        }
    }
}

// The assembled text of an assertion report for the diagnostics loggers.
SString AssertText(int32_t count, const char** texts)
{
    if (count < 4)
        return SString();
    SString text("assert failure (");
    text += texts[0];
    text += texts[1];
    text += ").  (";
    text += texts[2];
    text += " : ";
    text += texts[3];
    text += ").  \nCall Stack Dump: ";
    text += count >= 5 ? texts[4] : "Not available";
    return text;
}

SString FormatFor(LogManager* manager, DWORD messageId, int32_t count, const char* const* texts,
                  bool firstTry)
{
    SString text = SResFormat(messageId, texts, count);
    if (text.IsEmpty() && messageId != kMsgAssert) {
        if (firstTry) {
            // clang-format off
            SASSERT_INFO(false, "Cannot look up resource string in formatting logging messages");
            // clang-format on
            const SString id = SStringConv::ToString(uint32_t(messageId));
            const SString n = SStringConv::ToString(count);
            const char* args[] = {id.GetString(), n.GetString()};
            const SString second = FormatFor(manager, kMsgNoText, 2, args, false);
            if (!second.IsEmpty()) {
                text = second;
                if (manager)
                    manager->LogEvent(EVENTLOG_ERROR_TYPE, kLogCategoryLogging, kMsgNoText, args,
                                      2);
                else
                    LogEvent(EVENTLOG_ERROR_TYPE, kLogCategoryLogging, kMsgNoText, args[0],
                             args[1]);
            }
        } else {
            // clang-format off
            SASSERT_INFO(false, "2nd time failure on looking resource string for the same logging message");
            // clang-format on
            return SString();
        }
    }
    text = OneLine(text.GetString());
    text.TrimLeft();
    text.TrimRight();
    return text;
}

// A library named by a path is loaded only when no other user could have put it there.
HMODULE LoadTrustedLibrary(const SString& path)
{
    if (std::strchr(path.GetString(), '/') && !registry::isTrusted(path.GetString()))
        return nullptr;
    return LoadLibraryA(path.GetString());
}

} // namespace

// ----- LoggingDll -----

LoggingDll::LoggingDll(const SString& path, const SString& sourceName)
    : m_sourceName(sourceName), m_path(path)
{
    if (path.IsEmpty())
        LogAssert(__FILE__, SASSERT_STR(__LINE__), "(dllName.isEmpty()) != true",
                  "Logging: Serious problem, DLL name turns empty!");
    if (path.IsEmpty())
        return;
    m_module = LoadTrustedLibrary(path);
    if (!m_module) {
        const SString withExtension = SModuleNameWithDefaultExtension(path.GetString());
        if (!(withExtension == path))
            m_module = LoadTrustedLibrary(withExtension);
    }
    if (!m_module) {
        Direct(EVENTLOG_WARNING_TYPE, kMsgLoadFailed, path.GetString());
        return;
    }
    pf_GetDLLVersion = reinterpret_cast<GetDLLVersionFn>(GetProcAddress(m_module, "GetDLLVersion"));
    pf_Init = reinterpret_cast<InitFn>(GetProcAddress(m_module, "Init"));
    pf_Error = reinterpret_cast<ErrorFn>(GetProcAddress(m_module, "Error"));
    pf_Error2 = reinterpret_cast<Error2Fn>(GetProcAddress(m_module, "Error2"));
    pf_Audit = GetProcAddress(m_module, "Audit");
    pf_Audit2 = GetProcAddress(m_module, "Audit2");
    pf_Term = reinterpret_cast<TermFn>(GetProcAddress(m_module, "Term"));
    m_loaded =
        pf_GetDLLVersion && pf_Init && pf_Term && (pf_Error || pf_Error2 || pf_Audit || pf_Audit2);
    if (!m_loaded)
        Direct(EVENTLOG_ERROR_TYPE, kMsgMissingEntries, path.GetString());
}

LoggingDll::~LoggingDll()
{
    if (m_module)
        FreeLibrary(m_module);
}

bool LoggingDll::CallInit(int32_t flag)
{
    // clang-format off
    SASSERT_INFO(pf_Init != NULL, "Init interface of logging DLL is NULL");
    // clang-format on
    if (!pf_Init)
        return false;
    bool accepted = false;
    try {
        accepted = pf_Init(flag, m_sourceName.GetString(), 0) != 0;
    } catch (...) {
    }
    if (!accepted)
        Direct(EVENTLOG_WARNING_TYPE, kMsgLoadFailed, m_path.GetString());
    return accepted;
}

void LoggingDll::CallTerm()
{
    // clang-format off
    SASSERT_INFO(pf_Term != NULL, "Term interface of logging DLL is NULL");
    // clang-format on
    bool done = false;
    try {
        done = pf_Term && pf_Term() != 0;
    } catch (...) {
    }
    if (!done)
        Direct(EVENTLOG_WARNING_TYPE, kMsgTermFailed, m_path.GetString());
}

bool LoggingDll::Hand(WORD eventType, WORD category, DWORD messageId, int32_t count,
                      const char** texts)
{
    // clang-format off
    SASSERT_INFO(pf_Error || pf_Error2, "Error interfaces of logging DLL is NULL");
    // clang-format on
    if (messageId == kMsgAssert || messageId == kMsgTrace) {
        // Assertion reports and trace lines go only to the diagnostics loggers.
        if (m_path.Find("vxlogger") < m_path.GetLength()) {
            if (pf_Error2) {
                const SString text =
                    messageId == kMsgAssert
                        ? AssertText(count, texts)
                        : FormatFor(t_formattingManager, messageId, count, texts, true);
                pf_Error2(eventType, category, messageId, text.GetString());
            }
        } else if (m_path.Find("vxdiagnostics") < m_path.GetLength()) {
            if (pf_Error) {
                if (messageId == kMsgAssert) {
                    const SString text = AssertText(count, texts);
                    const char* one[] = {text.GetString()};
                    pf_Error(eventType, category, kMsgAssertText, 1, one);
                } else {
                    pf_Error(eventType, category, messageId, count, count ? texts : nullptr);
                }
            }
        }
        return true;
    }
    bool accepted = true;
    if (pf_Error && pf_Error(eventType, category, messageId, count, count ? texts : nullptr) == 0) {
        Direct(EVENTLOG_WARNING_TYPE, kMsgErrorEntryFailed, m_path.GetString());
        accepted = false;
    }
    if (pf_Error2) {
        const SString text = FormatFor(t_formattingManager, messageId, count, texts, true);
        if (pf_Error2(eventType, category, messageId, text.GetString()) == 0) {
            Direct(EVENTLOG_WARNING_TYPE, kMsgErrorEntryFailed, m_path.GetString());
            accepted = false;
        }
    }
    return accepted;
}

// ----- LogManager -----

LogManager::LogManager() = default;

LogManager::~LogManager()
{
    for (LoggingDll* library : m_libraries) {
        try {
            library->CallTerm();
        } catch (...) {
        }
        delete library;
    }
}

void LogManager::Setup(int32_t initFlag, const char* sourceName)
{
    m_initializing = true;
    m_initFlag = initFlag;
    m_sourceName = sourceName;
    if (!m_levelWasSet)
        m_level = kDefaultLevel;

    SString program;
    SSplitPath(GetModuleFileNameA(nullptr).c_str(), nullptr, nullptr, &program, nullptr);
    const SString levelName = program + "_logLevel";
    const SString sourceNameVariable = program + "_logSourceName";
    const SString filterName = program + "_fileLogFilter";
    const char* levelText = std::getenv(levelName.GetString());
    const char* sourceText = std::getenv(sourceNameVariable.GetString());
    SString filter;
    bool first = true;
    if (levelText && sourceText) {
        uint32_t level = 0;
        SStringConv::ToULong(levelText, level);
        m_level = level;
        m_sourceName = sourceText;
        const char* filterText = std::getenv(filterName.GetString());
        filter = filterText ? filterText : "";
        first = false;
    } else if (!m_sourceName.IsEmpty()) {
        // Published once for the components that start later; never unset.
        setenv(levelName.GetString(), SStringConv::ToString(uint32_t(m_level)).GetString(), 1);
        setenv(sourceNameVariable.GetString(), m_sourceName.GetString(), 1);
        setenv(filterName.GetString(), "", 1);
    } else {
        m_sourceName = program;
    }

    for (const char* p = filter.GetString(); *p;) {
        const char* comma = std::strchr(p, ',');
        const SString piece = comma ? SString(p, comma) : SString(p);
        if (!piece.IsEmpty())
            m_fileFilter.Insert(piece);
        p = comma ? comma + 1 : p + std::strlen(p);
    }

    SResInitializeProcess(nullptr);
    if (!RegisterLogEventSource(m_sourceName.GetString(), first)) {
        ReportTextDirect(m_serverName.GetString(), GetLogEventSourceName().GetString(),
                         EVENTLOG_ERROR_TYPE, "Logging is not enabled.  Registry key is not found.",
                         kLogCategoryLogging);
    } else {
        LoggingRegistry logging;
        SIArray<SString> paths;
        for (Registry::KeyIterator keys = logging.Keys(); !keys.AtEnd(); keys.Next()) {
            const SString subkey = keys.Name();
            CompanyRegistry library(logging.SubkeyPath() + "\\" + subkey);
            SString path;
            for (Registry::ValueIterator values = library.Values(); !values.AtEnd(); values.Next())
                if (std::strcmp(values.Name().GetString(), "DLLPath") == 0)
                    path = values.Value();
            if (!path.IsEmpty())
                paths.Add(path);
            else
                Direct(EVENTLOG_WARNING_TYPE, kMsgEmptyPath, subkey.GetString());
        }
        if (paths.GetSize() == 0)
            Direct(EVENTLOG_ERROR_TYPE, kMsgNoLibrary);
        for (const SString& path : paths) {
            LoggingDll* library = nullptr;
            try {
                library = new LoggingDll(path, m_sourceName);
            } catch (...) {
                Direct(EVENTLOG_ERROR_TYPE, kMsgNoBinding);
                continue;
            }
            if (library->IsLoaded() && library->CallInit(m_initFlag))
                m_libraries.Add(library);
            else
                delete library;
        }
    }
    m_initialized = true;
    m_initializing = false;
}

void LogManager::EarlyRecord(WORD eventType, WORD category, DWORD messageId,
                             const char* const* texts, int32_t count)
{
    if (messageId == kMsgTrace)
        return;
    if (messageId != kMsgAssert) {
        ReportEventDirect(m_serverName.GetString(), GetLogEventSourceName().GetString(), eventType,
                          texts, category, WORD(count), messageId);
        return;
    }
    auto text = [&](int32_t i) { return i < count && texts[i] ? texts[i] : "unknown"; };
    const SString time = SDateTime::Now().Format("H':'m':'s", STimeZone::System());
    char ids[96];
    std::snprintf(ids, sizeof ids, " (%d, %d), (%u, %u, %u),  Info: ", int(getpid()), int(gettid()),
                  unsigned(eventType), unsigned(category), unsigned(messageId));
    SString line =
        time + ids + text(3) + " Location: " + text(0) + "," + text(1) + " expr: " + text(2) + "\n";
    const SString path =
        SMakePath(nullptr, SGetCurrentDirectory().GetString(), "logger_asserts", "log");
    const int file = open(path.GetString(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (file >= 0) {
        [[maybe_unused]] const ssize_t written =
            write(file, line.GetString(), std::size_t(line.GetLength()));
        close(file);
    }
}

bool LogManager::LogEvent(WORD eventType, WORD category, DWORD messageId, const char* const* texts,
                          int32_t count) noexcept
{
    try {
        {
            std::lock_guard guard(m_mutex);
            if (m_initializing) {
                EarlyRecord(eventType, category, messageId, texts, count);
                return true;
            }
        }
        Initialize(1, "");
        if (m_libraries.GetSize() == 0)
            return true;
        if (eventType & 8) {
            LogAssert(__FILE__, SASSERT_STR(__LINE__), "eventType & EVENTLOG_SHOW_DIALOG",
                      "Show Dialog is no longer supported in this version.");
            eventType = WORD(eventType & ~8);
        }
        // clang-format off
        SASSERT_INFO(((eventType == EVENTLOG_ERROR_TYPE) || (eventType == EVENTLOG_WARNING_TYPE) || (eventType == EVENTLOG_DEBUG_TYPE) || (eventType == EVENTLOG_INFORMATION_TYPE)) != 0, "Unknown event type in error reporting");
        // clang-format on
        if (eventType > m_level)
            return true;
        count = std::clamp(count, 0, 10);
        SString lines[10];
        const char* cleaned[10] = {};
        for (int32_t i = 0; i < count; ++i) {
            lines[i] = OneLine(texts[i]);
            cleaned[i] = lines[i].GetString();
        }
        bool result = true;
        LogManager* previous = std::exchange(t_formattingManager, this);
        for (LoggingDll* library : m_libraries) {
            try {
                library->Hand(eventType, category, messageId, count, cleaned);
            } catch (...) {
                Direct(EVENTLOG_WARNING_TYPE, kMsgErrorEntryFailed, library->Path().GetString());
                result = false;
            }
        }
        t_formattingManager = previous;
        return result;
    } catch (...) {
        return false;
    }
}

void LogManager::Initialize(int32_t initFlag, const char* sourceName) noexcept
{
    try {
        std::lock_guard guard(m_mutex);
        if (!m_initialized && !m_initializing)
            Setup(initFlag, sourceName ? sourceName : "");
    } catch (...) {
        m_initializing = false;
    }
}

uint32_t LogManager::GetLogLevel() noexcept
{
    Initialize(1, "");
    return m_level;
}

void LogManager::SetLogLevel(uint32_t level) noexcept
{
    std::lock_guard guard(m_mutex);
    m_level = level;
    m_levelWasSet = true;
}

bool LogManager::IsFileLogged(const char* file) noexcept
{
    try {
        SString name, extension;
        SSplitPath(file, nullptr, nullptr, &name, &extension);
        std::lock_guard guard(m_mutex);
        if (m_fileFilter.GetCount() == 0)
            return true;
        return m_fileFilter.Contains(SStringCaseInsensitive(name + extension));
    } catch (...) {
        return false;
    }
}

SString LogManager::GetSourceName()
{
    std::lock_guard guard(m_mutex);
    return m_sourceName;
}

int32_t LogManager::BoundLibraryCount()
{
    std::lock_guard guard(m_mutex);
    return m_libraries.GetSize();
}

// ----- the facility of this copy of the library -----

namespace {

std::atomic<bool> g_managerAlive{false};

// Created on first use, destroyed (terminating the libraries) when the library unloads.
struct ManagerHolder
{
    ManagerHolder() { g_managerAlive = true; }
    ~ManagerHolder() { g_managerAlive = false; }
    LogManager manager;
};

LogManager* Manager()
{
    static ManagerHolder holder;
    return g_managerAlive ? &holder.manager : nullptr;
}

} // namespace

bool LogEvent(WORD eventType, WORD category, DWORD messageId, const char* t1, const char* t2,
              const char* t3, const char* t4, const char* t5, const char* t6, const char* t7,
              const char* t8, const char* t9, const char* t10) noexcept
{
    const char* all[] = {t1, t2, t3, t4, t5, t6, t7, t8, t9, t10};
    int32_t count = 0;
    while (count < 10 && all[count])
        ++count;
    LogManager* manager = Manager();
    return manager ? manager->LogEvent(eventType, category, messageId, all, count) : true;
}

void LogTrace(const char* format, ...) noexcept
{
    char text[kTraceMax];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format ? format : "", arguments);
    va_end(arguments);
    LogEvent(EVENTLOG_DEBUG_TYPE, kLogCategoryAssert, kMsgTrace, text);
}

uint32_t GetLogLevel() noexcept
{
    LogManager* manager = Manager();
    return manager ? manager->GetLogLevel() : kDefaultLevel;
}

void SetLogLevel(uint32_t level) noexcept
{
    if (LogManager* manager = Manager())
        manager->SetLogLevel(level);
}

bool IsFileLogged(const char* file) noexcept
{
    LogManager* manager = Manager();
    return manager && manager->IsFileLogged(file);
}

SString FormatLogMessage(DWORD messageId, int32_t count, const char* const* texts, bool firstTry)
{
    return FormatFor(nullptr, messageId, count, texts, firstTry);
}

void LogAssertToLog(const char* file, const char* line, const char* expression,
                    const char* information) noexcept
{
    try {
        if (GetLogLevel() < 8) {
            LogEvent(EVENTLOG_ERROR_TYPE, kLogCategoryAssert, kMsgAssert, file, line, expression,
                     information);
            return;
        }
        SStackDump holder;
        SString stack;
        holder.DumpCurrentStack(stack);
        LogEvent(EVENTLOG_ERROR_TYPE, kLogCategoryAssert, kMsgAssert, file, line, expression,
                 information, stack.GetString());
    } catch (...) {
    }
}
