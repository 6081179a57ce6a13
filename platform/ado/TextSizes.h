#pragma once
// Declared text sizes ("TEXT(100)") kept by every write of a connection.
//
// A record set refuses a longer text when it is set. Statements (Execute, commands, stored
// queries, INSERT ... SELECT) are held to the same sizes by TEMP triggers that call
// ado_TextLonger and ado_TextChangedLonger (Functions.h), one pair for each table of the file that
// has sized text columns, made before the connection's first write statement and again when the
// schema changes. They live in the connection's temporary schema only: the file's schema stays as
// it was, and a read-only file takes them as well as any other.

#include <sqlite3.h>

#include <string_view>

namespace ado::detail {

// The start of the triggers' names. They only refuse a write, never change a row.
inline constexpr std::string_view GuardPrefix = "ado_size_";

// The message of the triggers' refusal, which RaiseSqlite turns into the record set's error.
inline constexpr std::string_view TextTooLong = "ado: text longer than its column's declared size";

// Makes the triggers again for the tables of the file as they are now.
void GuardTextSizes(sqlite3* db);
// Removes them: an ALTER TABLE that drops or changes a column they name would fail.
void DropTextSizeGuards(sqlite3* db);

} // namespace ado::detail
