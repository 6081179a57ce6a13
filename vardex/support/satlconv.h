#pragma once
// Conversion of wide COM text (BSTR, OLE strings) to ANSI SString text.

#include "vardex/support/sstring.h"

// Converts the zero-terminated `lpw` into `lpa`, which has room for nChars
// bytes, with `codePage`. Returns lpa, or null (after an assertion report for a
// null pointer) when a pointer is null or the text does not fit.
char* SAtlW2AHelper(char* lpa, const char16_t* lpw, int32_t nChars, int codePage);

// The zero-terminated UTF-16 text in the ANSI code page; null gives the empty string.
// The room is sized from the text, so any length converts whole.
SString SW2A(const char16_t* lpw);
