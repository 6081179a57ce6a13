#include "platform/win/ErrorLog.h"

namespace win {
namespace {

ErrorLogWriter& Writer()
{
    static ErrorLogWriter writer;
    return writer;
}

} // namespace

void SetErrorLogWriter(ErrorLogWriter writer)
{
    Writer() = std::move(writer);
}

void LogError(int32_t number, const std::string& description)
{
    if (!Writer())
        return;
    try {
        Writer()(number, description);
    } catch (...) {
        // The log is a help to whoever looks after the program: it never stops the report.
    }
}

} // namespace win
