#pragma once

#include <string>

namespace win {

// The decimal separator of the user's numeric locale (LC_ALL, then LC_NUMERIC, then LANG);
// "," when none is set, when it is C or POSIX, or when the locale is not installed.
std::string DecimalSeparator();

// The decimal separator of a named locale, or "," for an empty, C, POSIX or unknown name.
std::string DecimalSeparatorOfLocale(const std::string& localeName);

} // namespace win
