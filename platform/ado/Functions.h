#pragma once
// The functions and the text collation that the program's SQL relies on,
// registered on each connection: CDate, Format, Nz, UCase, LCase, Year, Month,
// Day, Hour, Minute, Second, Weekday, DatePart, DateAdd, DateDiff, DateName,
// DateSerial, DateValue, Now, Date(), Time(), CStr, CLng, CInt, CDbl, CCur,
// CBool, Int, Fix, Val, Len, Left, Right, Mid, InStr, Space, IsNull, Round,
// LIKE (see Text.h), ado_TextLonger and ado_TextChangedLonger (for the guards
// of TextSizes.h) and the collation FRENCH. Dates go in and out as the ISO text the database
// stores.

struct sqlite3;

namespace ado {

void RegisterFunctions(sqlite3* db);

} // namespace ado
