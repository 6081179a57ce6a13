#pragma once
// Text helpers for names and data that are ASCII by their format (registry keys, scripts,
// class identifiers): case folding of A to Z only, and hexadecimal digits.

#include <string>
#include <string_view>

namespace ascii {

// The text with A to Z made lower case; every other byte is kept.
std::string lower(std::string_view text);
// Equal but for the case of A to Z.
bool equalNoCase(std::string_view a, std::string_view b);
// The value of a hexadecimal digit (either case), or -1.
int hexDigit(char c);
// Appends the bytes written as pairs of hexadecimal digits; false (with out holding the bytes
// read so far) for an odd length or a character that is no digit.
bool appendHexBytes(std::string_view hex, std::string* out);

} // namespace ascii
