#pragma once
// GoogleTest prints the support library's texts as their text, not as the bytes of the object.

#include "vardex/support/sstring.h"

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const SString& text, std::ostream* out)
{
    ::testing::internal::UniversalPrint(std::string(text.GetString(), text.GetLength()), out);
}

inline void PrintTo(const SStringW& text, std::ostream* out)
{
    ::testing::internal::UniversalPrint(std::u16string(text.GetString(), text.GetLength()), out);
}
