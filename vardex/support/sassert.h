#pragma once
// Assertion reports of the support library. Every check of the library reports
// a failed condition through LogAssert and then goes on. Reports go to the
// logging facility (slog.h); tests may install a handler of their own.

// The receiver of assertion reports: source file, line (as text), the failed
// expression and a free information text (empty when there is none).
using LogAssertHandler = void (*)(const char* file, const char* line, const char* expression,
                                  const char* information);

// Reports a failed assertion through the installed handler and returns.
void LogAssert(const char* file, const char* line, const char* expression,
               const char* information) noexcept;

// Installs `handler` (null: the logging facility) and returns the previous one.
LogAssertHandler SetLogAssertHandler(LogAssertHandler handler);

// Holds back the calling thread's reports while it lives and makes them when the outermost one
// ends. Code that holds a lock the logging may wait for declares one before taking the lock, so
// that a report, which may set the logging up, is made only after the lock is released.
class SAssertDeferral
{
public:
    SAssertDeferral() noexcept;
    ~SAssertDeferral();
    SAssertDeferral(const SAssertDeferral&) = delete;
    SAssertDeferral& operator=(const SAssertDeferral&) = delete;
};

#define SASSERT_STR2(x) #x
#define SASSERT_STR(x) SASSERT_STR2(x)

// Evaluates `expr` once; when false, reports its text with `info` and goes on.
#define SASSERT_INFO(expr, info)                                                                   \
    ((expr) ? (void)0 : LogAssert(__FILE__, SASSERT_STR(__LINE__), #expr, (info)))
#define SASSERT(expr) SASSERT_INFO(expr, "")
// The same, reporting `text` as the expression.
#define SASSERT_TEXT(expr, text, info)                                                             \
    ((expr) ? (void)0 : LogAssert(__FILE__, SASSERT_STR(__LINE__), (text), (info)))
