#pragma once
// Conversions between multi-byte text of a code page and UTF-16.
//
// The ANSI code page of this platform is UTF-8: the code pages -1 (the
// library's "ANSI code page"), 0 (ANSI), 1 (OEM), 3 (thread ANSI) and 65001
// all mean UTF-8. Other Windows code page numbers go through iconv
// (1252 -> CP1252, 28591 -> ISO-8859-1, 20127 -> ASCII, ...).
//
// Both calls convert exactly the units given (zeros included), or with a length
// of -1 the zero-terminated text and its zero (any other negative length is
// refused with -1), and return the
// number of units the result has; with out == nullptr they only count. They
// return -1 when the code page is unknown or `out` (outSize units) is too
// small. Undecodable input becomes U+FFFD; characters the target code page
// cannot represent become '?'.

#include <cstdint>

int32_t SMultiByteToWide(int codePage, const char* in, int32_t inBytes, char16_t* out,
                         int32_t outSize);
int32_t SWideToMultiByte(int codePage, const char16_t* in, int32_t inUnits, char* out,
                         int32_t outSize);

// Number of 16-bit units before the terminating zero.
int32_t SWideLength(const char16_t* text);

// The platform's calling convention over the two calls above: a count of 0 for the output
// only measures, and failures give 0. The flags are accepted and ignored.
inline int MultiByteToWideChar(unsigned codePage, unsigned long /*flags*/, const char* in,
                               int inBytes, char16_t* out, int outSize)
{
    const int32_t n =
        SMultiByteToWide(int(codePage), in, inBytes, outSize ? out : nullptr, outSize);
    return n < 0 ? 0 : n;
}
inline int WideCharToMultiByte(unsigned codePage, unsigned long /*flags*/, const char16_t* in,
                               int inUnits, char* out, int outSize, const char* /*defaultChar*/,
                               int* /*usedDefaultChar*/)
{
    const int32_t n =
        SWideToMultiByte(int(codePage), in, inUnits, outSize ? out : nullptr, outSize);
    return n < 0 ? 0 : n;
}
