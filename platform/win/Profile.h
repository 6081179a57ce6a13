#pragma once

#include <string>
#include <string_view>

// Readers of profile (INI) files. Section and key names are compared without regard to case,
// the first matching section and key win, and values are read into a 255-character buffer.
// Files are UTF-8, or windows-1252 where they are not valid UTF-8; results are UTF-8.
namespace win {

// The value of the key, trimmed of blanks and of one pair of matching surrounding quotes, at most
// 255 characters; the default, without its trailing blanks, when the file, the section or the key
// is missing. The file name is looked up without regard to case; "\" may separate folders.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, const std::string& path);

// The leading whole number of the value (optional sign, then digits; 0 when none, as for "abc");
// the default when the file, the section or the key is missing or the value is empty. Values
// beyond 32 bits wrap; range checks of narrower types are the caller's.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int def,
                         const std::string& path);

} // namespace win
