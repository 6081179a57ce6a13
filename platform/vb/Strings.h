#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The language's text functions on UTF-8 texts. Positions and lengths count characters (code
// points), from 1. Chr and Asc use the 8-bit character set windows-1252. Bad arguments (a start
// below 1, a negative length) raise error 5.
namespace vb {

inline constexpr int vbBinaryCompare = 0;
inline constexpr int vbTextCompare = 1;

// Only blanks (U+0020) are trimmed.
std::string Trim(std::string_view text);
std::string LTrim(std::string_view text);
std::string RTrim(std::string_view text);
// Accented letters too: "é" <-> "É", "œ" <-> "Œ", "ÿ" <-> "Ÿ".
std::string UCase(std::string_view text);
std::string LCase(std::string_view text);

long Len(std::string_view text);
std::string Left(std::string_view text, long length);
std::string Right(std::string_view text, long length);
std::string Mid(std::string_view text, long start);
std::string Mid(std::string_view text, long start, long length);

// The position of the first occurrence of `find` from `start`, 0 when none; an empty `find`
// gives `start`. vbTextCompare ignores case.
long InStr(std::string_view text, std::string_view find, int compare = vbBinaryCompare);
long InStr(long start, std::string_view text, std::string_view find, int compare = vbBinaryCompare);

std::string Replace(std::string_view text, std::string_view find, std::string_view replacement,
                    int compare = vbBinaryCompare);
// An empty text gives no element; an empty delimiter gives the whole text.
std::vector<std::string> Split(std::string_view text, std::string_view delimiter = " ");
std::string Join(const std::vector<std::string>& parts, std::string_view delimiter = " ");

std::string Space(long count);
// `count` times the first character of `character`.
std::string String(long count, std::string_view character);

// The character of an 8-bit code 0..255 (Chr(128) = "€"); error 5 outside.
std::string Chr(int code);
// The 8-bit code of the first character, '?' (63) for one outside the set; error 5 for "".
int Asc(std::string_view text);
// Unicode code point of the first character.
char32_t AscW(std::string_view text);

// -1, 0 or 1.
int StrComp(std::string_view a, std::string_view b, int compare = vbBinaryCompare);

} // namespace vb
