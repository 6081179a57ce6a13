#pragma once
// How column values travel between SQLite and vb::Variant, by the column's
// declared type:
//   DATE, DATETIME, TIME, TIMESTAMP   Date, stored as ISO text "YYYY-MM-DD HH:MM:SS"
//   CURRENCY, MONEY                   Currency, stored as its exact decimal text; the
//                                     column's numeric affinity keeps it as a number, so
//                                     SQL arithmetic works, and it reads back rounded to
//                                     four decimals, exactly as written
//   BIT, YESNO, BOOLEAN, LOGICAL      Boolean, stored as -1 / 0
//   SMALLINT, SHORT, TINYINT, BYTE    Integer (16 bits)
//   INTEGER, LONG, INT, COUNTER       Long (32 bits)
//   SINGLE, FLOAT4                    Single
//   REAL, DOUBLE, FLOAT, NUMERIC ...  Double
//   TEXT, CHAR, VARCHAR, MEMO ...     String
//   LONGBINARY, BINARY, BLOB ...      Bytes (an OLE Object such as a picture), stored as a blob
// A column without a declared type (a computed one) reads as SQLite stored it.

#include "platform/ado/Field.h"
#include "platform/vb/Variant.h"

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>

namespace ado::detail {

enum class ColumnKind {
    Dynamic,
    Boolean,
    Integer,
    Long,
    Single,
    Double,
    Currency,
    Date,
    Text,
    Bytes
};

ColumnKind KindOfDeclaredType(std::string_view declared);
DataType DataTypeOf(ColumnKind kind);
// Characters of a text column ("TEXT(50)" -> 50; 255 without a size), bytes of the others.
long DefinedSizeOf(ColumnKind kind, std::string_view declared);

// The scaled amount of a whole number stored in a currency column; none when it is too large
// for an amount (it is then read as the number it is).
std::optional<int64_t> ScaledWhole(int64_t whole);

vb::Variant ReadColumn(sqlite3_stmt* stmt, int column, ColumnKind kind);
// The value converted to the column's type, as an assignment to the field converts it; raises
// vb::Error when it cannot be converted.
vb::Variant Coerce(ColumnKind kind, const vb::Variant& value);
// Binds a value (already coerced) in its stored form.
void Bind(sqlite3_stmt* stmt, int index, ColumnKind kind, const vb::Variant& value);

} // namespace ado::detail
