#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The system's 8-bit character set (windows-1252) and its conversion to and from UTF-8.
namespace win {

// The Unicode character of an 8-bit code; the five codes without a character map to themselves.
char32_t Cp1252ToUnicode(unsigned char code);

// The 8-bit code of a Unicode character, or -1 when the character set has none.
int UnicodeToCp1252(char32_t ch);

std::string Cp1252ToUtf8(std::string_view text);

// Characters without an 8-bit code become '?'; invalid UTF-8 bytes too.
std::string Utf8ToCp1252(std::string_view text);

bool IsValidUtf8(std::string_view text);

// Appends the UTF-8 bytes of a character.
void AppendUtf8(std::string& out, char32_t ch);

// Decodes the UTF-8 character at pos and moves pos past it; false (pos unchanged) on an invalid,
// overlong or truncated sequence.
bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& ch);

// The lower-case form of a letter of the 8-bit character set; other characters are unchanged.
char32_t FoldCase(char32_t ch);

// Compares two UTF-8 texts without regard to the case of the letters of the 8-bit character set,
// the way the system compares file, section and key names.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// The key of a text under that comparison: two texts are equal ignoring case exactly when their
// keys are equal.
std::u32string CaseFoldKey(std::string_view text);

} // namespace win
