#include "vardex/support/sassert.h"

#include "vardex/support/slog.h"

#include <atomic>

namespace {

void ReportToLog(const char* file, const char* line, const char* expression,
                 const char* information)
{
    LogAssertToLog(file, line, expression, information);
}

std::atomic<LogAssertHandler> g_handler{&ReportToLog};

} // namespace

void LogAssert(const char* file, const char* line, const char* expression,
               const char* information) noexcept
{
    try {
        g_handler.load(std::memory_order_acquire)(file, line, expression, information);
    } catch (...) {
        // Nothing of the logging throws to its callers.
    }
}

LogAssertHandler SetLogAssertHandler(LogAssertHandler handler)
{
    return g_handler.exchange(handler ? handler : &ReportToLog, std::memory_order_acq_rel);
}
