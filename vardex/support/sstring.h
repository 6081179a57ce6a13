#pragma once
// The support library's text types.
//
// SString holds 8-bit multi-byte text of the ANSI code page (UTF-8 here);
// SStringW holds UTF-16 text. Both share their buffer between copies and copy
// it on the first write (see sstringimpl.h). Lengths and positions are in bytes
// (SString) or 16-bit units (SStringW); "n characters" means n multi-byte
// characters. A character as a value (SCharValue) holds its bytes with the
// first byte in the low 8 bits.

#include "vardex/support/sstringimpl.h"

#include <cstdint>

using SCharValue = uint32_t;

// Walking multi-byte text character by character; every walk stops at the zero.
namespace SMbcs {
// The start of the next character (p itself at the terminating zero).
const char* NextChar(const char* p);
// The value of the character at p (0 at the terminating zero).
SCharValue CharValue(const char* p);
// 0 for the value 0, else the number of bytes of the value.
int32_t CharWidth(SCharValue value);
// The number of characters before the terminating zero.
int32_t CharCount(const char* p);
} // namespace SMbcs

class SString : public SStringImpl<char>
{
public:
    SString() = default;
    SString(const char* text);
    // n bytes of text; a null text with n above 0 is an assertion report.
    SString(const char* text, int32_t n);
    // The bytes between two positions of one text.
    SString(const char* first, const char* last);
    // UTF-16 text converted with the ANSI code page; null gives the empty string.
    explicit SString(const char16_t* wide);

    SString(const SString&) = default;
    SString(SString&&) noexcept = default;
    SString& operator=(const SString&) = default;
    SString& operator=(SString&&) noexcept = default;
    SString& operator=(const char* text);

    // One character (1 to 4 bytes, low byte first).
    static SString FromChar(SCharValue value);

    // Replaces the text by the UTF-16 text converted with `codePage` (-1: the
    // ANSI code page). Null leaves the string unchanged and succeeds; false
    // (with an assertion report) when the conversion fails.
    bool AssignWide(const char16_t* wide, int codePage = -1);

    SString& Append(const SString& other);
    SString& Append(const char* text);
    SString& Append(const char* text, int32_t n);
    SString& AppendChar(SCharValue value);
    SString& AppendNumber(int32_t value);
    SString& AppendNumber(uint32_t value);
    SString& operator+=(const SString& other) { return Append(other); }
    SString& operator+=(const char* text) { return Append(text); }

    // The first n characters (the whole string when shorter).
    SString Left(int32_t n) const;
    // The last n characters (the whole string, shared, when n reaches its length).
    SString Right(int32_t n) const;
    // The value of the character at a character index (0 past the end).
    SCharValue GetAt(int32_t charIndex) const;
    // The bytes before a position.
    SString Prefix(int32_t position) const;

    // Position of the first occurrence, else GetLength().
    int32_t Find(const char* text) const;
    int32_t FindChar(SCharValue value) const;

    // Replaces the character at a byte position by `value`, moving the rest.
    void ReplaceChar(int32_t position, SCharValue value);

    void TrimLeft();
    void TrimRight();

    // A room of this string's own for n bytes; the length becomes n.
    char* GetBufferSetLength(int32_t n) { return PrepareBuffer(n); }

    // Equal when the locale's collation compares the texts equal (null = empty).
    bool operator==(const SString& other) const;
    bool operator==(const char* text) const;
};

class SStringW : public SStringImpl<char16_t>
{
public:
    SStringW() = default;
    SStringW(const char16_t* text);
    // ANSI text converted with `codePage` (-1: the ANSI code page).
    explicit SStringW(const char* ansi, int codePage = -1);

    // Replaces the text by the converted ANSI text. Null leaves the string
    // unchanged and succeeds; false (with an assertion report) on failure.
    bool AssignAnsi(const char* ansi, int codePage = -1);
};

inline SString operator+(SString left, const SString& right)
{
    left += right;
    return left;
}
inline SString operator+(SString left, const char* right)
{
    left += right;
    return left;
}

// An SString ordered by plain byte comparison of its zero-terminated text.
class SStringBinary : public SString
{
public:
    using SString::SString;
    SStringBinary(const SString& text) : SString(text) {}
    bool operator<(const SStringBinary& other) const;
};

// An SString ordered by the locale's case-insensitive multi-byte collation.
class SStringCaseInsensitive : public SString
{
public:
    using SString::SString;
    SStringCaseInsensitive(const SString& text) : SString(text) {}
    bool operator<(const SStringCaseInsensitive& other) const;
};

// Case-insensitive collation of two multi-byte texts (<0, 0, >0).
int SStringCompareNoCase(const char* a, const char* b);

class SStringConv
{
public:
    static SString ToString(int32_t value);
    static SString ToString(uint32_t value);
    // Decimal parse (leading white space and a sign allowed). The value is
    // stored in any case; true only when the whole, non-empty text was a
    // number within range.
    static bool ToLong(const char* text, int32_t& value);
    static bool ToULong(const char* text, uint32_t& value);
};
