#pragma once

#include "platform/vb/Variant.h"

#include <string>
#include <string_view>

namespace vb {

// The language's Format.
// Dates: d dd ddd dddd ddddd dddddd, m mm mmm mmmm (French names), y yy yyyy, h hh, n nn,
// s ss (an "m" right after an hour or right before a second is minutes), w ww q c, literal text
// in double quotes or after "\", and the named formats "Short Date", "Long Date", "Short Time",
// "Long Time", "General Date".
// Numbers: "0" and "#" digit places, "." the decimal point (written as the settings'
// separator), "%", literal text; a "," between digits groups thousands (with a no-break space
// under a "," separator), and so does a blank or no-break space, with itself; in a pattern that
// groups with blanks and has no ".", the last "," is the decimal point ("#\u00A0##0,00");
// up to three sections split by ";" (positive;negative;zero); "General Number".
// Halves round away from zero, on the shortest decimal form of the value. A text is read as a
// number or a date first and returned unchanged when it is neither.
// An empty pattern gives CStr of the value; Null and Empty give "".
std::string Format(const Variant& value, std::string_view pattern = {});

} // namespace vb
