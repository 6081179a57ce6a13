#pragma once

#include "platform/vb/Variant.h"

#include <string>
#include <string_view>

namespace vb {

// The language's Format.
// Dates: d dd ddd dddd, m mm mmm mmmm (French names), yy yyyy, h hh, n nn, s ss (an "m" after
// h or before s is minutes), "/" and ":" as written, the named formats "Short Date",
// "Long Date", "Short Time", "Long Time", "General Date".
// Numbers: "0" and "#" digits, "." the decimal point (written as the settings' separator),
// "%" , "E+"/"E-" exponents, literal text in double quotes or after "\"; a blank or no-break
// space between digits groups thousands with that character; a pattern without "." whose ","
// stands before the last digits (as in "#\u00A0##0,00") uses that "," as its decimal point;
// up to three sections split by ";" (positive;negative;zero); the named formats
// "General Number", "Fixed", "Standard", "Percent", "Currency".
// An empty pattern gives CStr of the value; Null and Empty give "".
std::string Format(const Variant& value, std::string_view pattern = {});

} // namespace vb
