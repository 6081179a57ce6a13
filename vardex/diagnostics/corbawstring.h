#pragma once
// Wide strings at the ORB's edge: the ORB's wide character is 32 bits here, COM's (and the
// library's SStringW) 16 bits, so texts are converted between UTF-32 and UTF-16 on the way in
// and out.

#include "vardex/support/sstring.h"

#include <omniORB4/CORBA.h>

#include <string>

// Null gives the empty text; a value that is no character becomes U+FFFD.
std::u16string Utf16FromCorba(const CORBA::WChar* text);
// A new ORB wide string (free with CORBA::wstring_free or a WString_var); null gives "".
CORBA::WChar* CorbaWStringDup(const char16_t* text);
// The ORB's wide text in the ANSI code page.
SString AnsiFromCorba(const CORBA::WChar* text);
