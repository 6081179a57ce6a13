#include "vardex/support/sassert.h"

#include <atomic>
#include <cstdio>

namespace {

void ReportToStandardError(const char* file, const char* line, const char* expression,
                           const char* information)
{
    std::fprintf(stderr, "assert failure (%s(%s)): %s : %s\n", file ? file : "unknown",
                 line ? line : "unknown", expression ? expression : "unknown",
                 information ? information : "");
}

std::atomic<LogAssertHandler> g_handler{&ReportToStandardError};

} // namespace

void LogAssert(const char* file, const char* line, const char* expression, const char* information)
{
    g_handler.load(std::memory_order_acquire)(file, line, expression, information);
}

LogAssertHandler SetLogAssertHandler(LogAssertHandler handler)
{
    return g_handler.exchange(handler ? handler : &ReportToStandardError,
                              std::memory_order_acq_rel);
}
