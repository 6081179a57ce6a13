#pragma once

#include <string>
#include <string_view>

// Readers of profile (INI) files. Section and key names are compared without regard to case,
// the first matching section and key win, and values are read into a 255-character buffer.
// Files are UTF-8, or windows-1252 where they are not valid UTF-8; results are UTF-8.
namespace win {

// The value of the key, trimmed of blanks and of one pair of surrounding quotes, at most 255
// bytes; the default (trimmed) when the file, the section or the key is missing.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, const std::string& path);

// The leading whole number of the value (optional sign, then digits; 0 when none); the default
// when the file, the section or the key is missing. Out-of-range values wrap as a 32-bit number.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int def,
                         const std::string& path);

} // namespace win
