#include "vardex/diagnostics/supportbridge.h"

// Until the support library's resource strings and logging are linked in, the bridge behaves as
// that library does with no resource library and no logging library installed: no texts, and
// records are dropped.

SString diag::LoadResourceString(int32_t)
{
    return {};
}

SString diag::FormatResourceString(int32_t, const SIArray<SString>&)
{
    return {};
}

void diag::LogMappedException(uint32_t, const SString&) {}

void diag::Trace(const char*, const SString&) {}
