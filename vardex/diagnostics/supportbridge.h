#pragma once
// What the diagnostics classes take from the support library's resource strings and logging,
// in one place.

#include "vardex/support/scontainers.h"
#include "vardex/support/sstring.h"

#include <cstdint>

namespace diag {

// The text of a string-resource entry as stored (empty when there is none).
SString LoadResourceString(int32_t id);
// The text of a string-resource entry with its numbered placeholders filled from args.
SString FormatResourceString(int32_t id, const SIArray<SString>& args);

// Event types of log records.
inline constexpr uint32_t kLogError = 1;
inline constexpr uint32_t kLogWarning = 2;
inline constexpr uint32_t kLogDebug = 256;

// A log record of the mapped exceptions (category 21, message 34700 with the one text).
void LogMappedException(uint32_t eventType, const SString& text);
// A trace line when tracing is on for the source file.
void Trace(const char* file, const SString& text);

} // namespace diag
