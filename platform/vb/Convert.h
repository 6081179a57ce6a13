#pragma once

#include "platform/vb/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>

// The language's conversion functions. Texts are read with the decimal separator of the
// settings (win::DecimalSeparator()); numbers are written with it. Converting Null raises
// error 94, a text that is not a number (or a date) error 13, a value out of range error 6.
namespace vb {

// Numbers in their shortest exact form ("2,5", "-3", "1E+20"), dates in the short date form
// "dd/mm/yyyy" ("dd/mm/yyyy hh:mm:ss" with a time, "hh:mm:ss" for a time alone), Boolean as
// "Vrai"/"Faux", Empty as "".
std::string CStr(const Variant& value);
bool CBool(const Variant& value);
// Rounded half to even: CInt(2.5) = 2, CInt(3.5) = 4.
int16_t CInt(const Variant& value);
int32_t CLng(const Variant& value);
float CSng(const Variant& value);
double CDbl(const Variant& value);
Currency CCur(const Variant& value);
// Texts as day/month/year ("31/12/2006", "1/2/07"), with an optional time ("14:30",
// "14:30:15"), a time alone, or ISO "2006-12-31"; numbers as date serials.
Date CDate(const Variant& value);

// The number at the start of a text: blanks skipped, "." as the only decimal point, "&H" and
// "&O" prefixes; 0 when the text starts with no number.
double Val(std::string_view text);

bool IsNumeric(const Variant& value);
bool IsDate(const Variant& value);
inline bool IsNull(const Variant& value)
{
    return value.IsNull();
}
inline bool IsEmpty(const Variant& value)
{
    return value.IsEmpty();
}

// Int rounds down, Fix towards zero; Null stays Null.
double Int(double value);
double Fix(double value);
// Rounded half to even to the given number of decimals.
double Round(double value, int decimals = 0);

} // namespace vb
