#include "vardex/support/sassert.h"

#include "vardex/support/slog.h"

#include <atomic>
#include <string>
#include <vector>

namespace {

void ReportToLog(const char* file, const char* line, const char* expression,
                 const char* information)
{
    LogAssertToLog(file, line, expression, information);
}

std::atomic<LogAssertHandler> g_handler{&ReportToLog};

struct HeldReport
{
    std::string file, line, expression, information;
};
thread_local int t_deferralDepth = 0;
thread_local std::vector<HeldReport> t_heldReports;

void Dispatch(const char* file, const char* line, const char* expression,
              const char* information) noexcept
{
    try {
        g_handler.load(std::memory_order_acquire)(file, line, expression, information);
    } catch (...) {
        // Nothing of the logging throws to its callers.
    }
}

} // namespace

void LogAssert(const char* file, const char* line, const char* expression,
               const char* information) noexcept
{
    if (t_deferralDepth > 0) {
        try {
            t_heldReports.push_back({file ? file : "", line ? line : "",
                                     expression ? expression : "", information ? information : ""});
            return;
        } catch (...) {
            // Made now, it could wait for the lock its caller holds: it is dropped.
        }
        return;
    }
    Dispatch(file, line, expression, information);
}

SAssertDeferral::SAssertDeferral() noexcept
{
    ++t_deferralDepth;
}

SAssertDeferral::~SAssertDeferral()
{
    if (--t_deferralDepth > 0)
        return;
    std::vector<HeldReport> held;
    held.swap(t_heldReports);
    for (const HeldReport& r : held)
        Dispatch(r.file.c_str(), r.line.c_str(), r.expression.c_str(), r.information.c_str());
}

LogAssertHandler SetLogAssertHandler(LogAssertHandler handler)
{
    return g_handler.exchange(handler ? handler : &ReportToLog, std::memory_order_acq_rel);
}
