#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The program's error log, as the end of the program by an untrapped error writes to it. The
// program installs the writer at start-up; until it does, nothing is written.
namespace win {

using ErrorLogWriter = std::function<void(int32_t number, const std::string& description)>;

// Replaces the writer; an empty function writes nothing.
void SetErrorLogWriter(ErrorLogWriter writer);

// Writes the error through the installed writer. A writer that fails loses the row only.
void LogError(int32_t number, const std::string& description);

} // namespace win
