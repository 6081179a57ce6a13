#pragma once
// Wide strings at the ORB's edge. The ORB's wide character is 32 bits here, but its native wide
// code set is UTF-16 (the only one it has): each CORBA::WChar carries one UTF-16 code unit, and a
// character outside the 16-bit plane travels as a surrogate pair, as in COM's (and the library's
// SStringW) 16-bit texts. The units are copied as they are.

#include "vardex/support/sstring.h"

#include <omniORB4/CORBA.h>

#include <string>

// Null gives the empty text. A value above 0xFFFF (no UTF-16 unit) is taken as the character
// it names, written as a surrogate pair; one above U+10FFFF becomes U+FFFD.
std::u16string Utf16FromCorba(const CORBA::WChar* text);
// A new ORB wide string (free with CORBA::wstring_free or a WString_var); null gives "".
CORBA::WChar* CorbaWStringDup(const char16_t* text);
// The ORB's wide text in the ANSI code page.
SString AnsiFromCorba(const CORBA::WChar* text);
