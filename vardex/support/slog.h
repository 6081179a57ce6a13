#pragma once
// Logging: each record (event type, category, message identifier of the resource strings and
// up to ten texts) is handed to the logging libraries named under the logging key of the
// registry, loaded at run time. Records about the logging itself go to the event log; records
// made while the facility sets itself up go to "logger_asserts.log" (assertion reports) or the
// event log. Settings come from the environment variables <program>_logLevel,
// <program>_logSourceName and <program>_fileLogFilter, which the first component of a process
// publishes. Nothing here throws to its callers.

#include "platform/eventlog/EventLog.h"
#include "platform/reslib/Module.h"
#include "platform/wintypes/Types.h"
#include "vardex/support/sassert.h"
#include "vardex/support/scontainers.h"
#include "vardex/support/sstring.h"

#include <atomic>
#include <cstdint>
#include <mutex>

// Categories and message identifiers of the facility.
inline constexpr WORD kLogCategoryAssert = 1;
inline constexpr WORD kLogCategoryLogging = 15;
inline constexpr WORD kLogCategoryException = 21;
inline constexpr DWORD kMsgAssertText = 33000;
inline constexpr DWORD kMsgAssert = 33009;
inline constexpr DWORD kMsgTrace = 33011;
inline constexpr DWORD kMsgFreeText = 34700;

// One loaded logging library and its entry points (each may be null).
class LoggingDll
{
public:
    using GetDLLVersionFn = int32_t (*)();
    using InitFn = int32_t (*)(int32_t flag, const char* sourceName, int32_t reserved);
    using ErrorFn = int32_t (*)(int32_t eventType, int32_t category, uint32_t messageId,
                                int32_t count, const char** texts);
    using Error2Fn = int32_t (*)(int32_t eventType, int32_t category, uint32_t messageId,
                                 const char* text);
    using TermFn = int32_t (*)();

    // Loads the library (by its path, then with the modules' extension when the path has no
    // full stop) and looks its entries up; failures are event-log records.
    LoggingDll(const SString& path, const SString& sourceName);
    LoggingDll(const LoggingDll&) = delete;
    LoggingDll& operator=(const LoggingDll&) = delete;
    ~LoggingDll();

    // Loaded with GetDLLVersion, Init, Term and one of Error, Error2, Audit, Audit2.
    bool IsLoaded() const { return m_loaded; }
    const SString& Path() const { return m_path; }

    // Init with the flag and the source name; a refusal is an event-log record.
    bool CallInit(int32_t flag);
    // Hands one record over (texts already cleaned); false when an entry refused it.
    bool Hand(WORD eventType, WORD category, DWORD messageId, int32_t count, const char** texts);
    // Term; a refusal is an event-log record.
    void CallTerm();

private:
    HMODULE m_module = nullptr;
    GetDLLVersionFn pf_GetDLLVersion = nullptr;
    InitFn pf_Init = nullptr;
    ErrorFn pf_Error = nullptr;
    Error2Fn pf_Error2 = nullptr;
    void* pf_Audit = nullptr;
    void* pf_Audit2 = nullptr;
    TermFn pf_Term = nullptr;
    SString m_sourceName;
    bool m_loaded = false;
    SString m_path;
};

class LogManager
{
public:
    LogManager();
    LogManager(const LogManager&) = delete;
    LogManager& operator=(const LogManager&) = delete;
    // Terminates and frees the bound libraries.
    ~LogManager();

    // Sets the facility up once with an initialisation flag and a source name (empty: the
    // program's name); later calls do nothing.
    void Initialize(int32_t initFlag, const char* sourceName) noexcept;
    // At most ten texts.
    bool LogEvent(WORD eventType, WORD category, DWORD messageId, const char* const* texts,
                  int32_t count) noexcept;
    uint32_t GetLogLevel() noexcept;
    // A level set before the set-up survives it.
    void SetLogLevel(uint32_t level) noexcept;
    bool IsFileLogged(const char* file) noexcept;
    // The source name (known after the set-up).
    SString GetSourceName();
    // The number of bound libraries (after the set-up).
    int32_t BoundLibraryCount();

private:
    void Setup(int32_t initFlag, const char* sourceName);
    void EarlyRecord(WORD eventType, WORD category, DWORD messageId, const char* const* texts,
                     int32_t count);

    SString m_serverName; // the event-log server (empty: this machine)
    bool m_initialized = false;
    bool m_initializing = false;
    int32_t m_initFlag = 1;
    bool m_levelWasSet = false;
    SString m_sourceName;
    std::recursive_mutex m_mutex;     // set-up and the initialising test; the owner may re-enter
    SIArray<LoggingDll*> m_libraries; // in registry order
    std::atomic<uint32_t> m_level{4};
    SISet<SStringCaseInsensitive> m_fileFilter;
};

// The facility of this loaded copy of the library.
// Each record: texts are the leading non-null ones of t1 ... t10. True unless a logging
// library raised an exception.
bool LogEvent(WORD eventType, WORD category, DWORD messageId, const char* t1 = nullptr,
              const char* t2 = nullptr, const char* t3 = nullptr, const char* t4 = nullptr,
              const char* t5 = nullptr, const char* t6 = nullptr, const char* t7 = nullptr,
              const char* t8 = nullptr, const char* t9 = nullptr,
              const char* t10 = nullptr) noexcept;
// A trace line in printf form (cut to 511 characters), as a debug record.
void LogTrace(const char* format, ...) noexcept __attribute__((format(printf, 1, 2)));
// The level, setting the facility up first (4 when the facility no longer exists).
uint32_t GetLogLevel() noexcept;
void SetLogLevel(uint32_t level) noexcept;
// Whether trace lines of a source file are wanted (its name and extension in the filter, or
// an empty filter).
bool IsFileLogged(const char* file) noexcept;
// The text of a record: the message of the identifier with the texts, on one line, trimmed.
// A message without text is reported once as record 34405.
SString FormatLogMessage(DWORD messageId, int32_t count, const char* const* texts, bool firstTry);
// The assertion report of the facility (the default receiver of LogAssert).
void LogAssertToLog(const char* file, const char* line, const char* expression,
                    const char* information) noexcept;
