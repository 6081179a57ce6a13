#pragma once
// Error numbers of the report engine, raised as vb::Error with source "report".

#include <cstdint>

namespace report {

inline constexpr int32_t ErrReportNotFound = 31001; // no report file of that name
inline constexpr int32_t ErrBadDefinition = 31002;  // the file is not a valid definition
inline constexpr int32_t ErrTableMismatch = 31003;  // a table is missing or lacks a column
inline constexpr int32_t ErrExport = 31004;         // the PDF or the printer cannot be written
inline constexpr int32_t ErrMail = 31005;           // a refused address, no mail client

inline constexpr const char* ErrorSource = "report";

} // namespace report
