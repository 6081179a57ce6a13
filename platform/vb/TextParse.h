#pragma once

#include "platform/vb/Date.h"

#include <optional>
#include <string>
#include <string_view>

// Reading numbers and dates from texts; used inside the runtime only.
namespace vb::text {

// A number read from a whole text (blanks around it allowed).
struct Number
{
    // The decimal value as "[-]digits[.digits]" with "." as point, before the exponent.
    std::string decimal;
    int exponent = 0;
    // Set for "&H" and "&O" texts, which are whole numbers.
    std::optional<long long> whole;

    // Infinite when too large for a double, 0 when too small.
    double ToDouble() const;
};

// The number of a text written with the given decimal separator; nullopt when the whole text
// is not one. Hexadecimal texts of up to four digits (octal of up to six) are signed 16-bit
// values, longer ones signed 32-bit values; beyond 32 bits nullopt with `overflow` set.
std::optional<Number> ReadNumber(std::string_view text, std::string_view separator,
                                 bool* overflow = nullptr);

// A date text: day/month/year (or day/month of the current year), ISO year-month-day, each
// with an optional time, or a time alone. nullopt when it is none or names an impossible date.
std::optional<Date> ReadDate(std::string_view text);

} // namespace vb::text
