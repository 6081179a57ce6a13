#include "platform/win/Codepage.h"

#include <gtest/gtest.h>

namespace {

TEST(Codepage, MapsBytesToCharacters)
{
    struct Case
    {
        unsigned char code;
        char32_t ch;
    };
    for (const Case& c :
         {Case{0x41, U'A'}, Case{0x80, U'\u20AC'}, Case{0x8C, U'\u0152'}, Case{0x92, U'\u2019'},
          Case{0x9C, U'\u0153'}, Case{0x9F, U'\u0178'}, Case{0x81, 0x81}, Case{0x9D, 0x9D},
          Case{0xA0, 0xA0}, Case{0xE9, U'é'}, Case{0xFF, U'ÿ'}}) {
        SCOPED_TRACE(static_cast<int>(c.code));
        EXPECT_EQ(win::Cp1252ToUnicode(c.code), c.ch);
        EXPECT_EQ(win::UnicodeToCp1252(c.ch), c.code);
    }
    EXPECT_EQ(win::UnicodeToCp1252(U'\u4E2D'), -1);
    EXPECT_EQ(win::UnicodeToCp1252(0x85), -1) << "0x85 is the ellipsis, not U+0085";
}

TEST(Codepage, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = win::Cp1252ToUtf8(all);
    EXPECT_TRUE(win::IsValidUtf8(utf8));
    EXPECT_EQ(win::Utf8ToCp1252(utf8), all);
}

TEST(Codepage, ConvertsTexts)
{
    EXPECT_EQ(win::Cp1252ToUtf8("Base de donn\xE9"
                                "e \x80"),
              "Base de donnée €");
    EXPECT_EQ(win::Utf8ToCp1252("Créé ‘ok’ œ"), "Cr\xE9\xE9 \x91ok\x92 \x9C");
    EXPECT_EQ(win::Utf8ToCp1252("a中b😀c"), "a?b?c");
    EXPECT_EQ(win::Utf8ToCp1252("a\xC3z"), "a?z") << "a broken sequence costs only its byte";
}

TEST(Codepage, RecognisesValidUtf8)
{
    for (const char* valid : {"", "plain", "é", "€", "😀", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(win::IsValidUtf8(valid)) << valid;
    for (const char* invalid : {"\xC3", "\xE9t\xE9", "\x80", "\xC0\xAF", "\xE0\x80\xAF",
                                "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"})
        EXPECT_FALSE(win::IsValidUtf8(invalid)) << invalid;
}

// The comparison and the key that indexes by it agree on every pair.
TEST(Codepage, ComparesWithoutRegardToCase)
{
    struct Case
    {
        const char *a, *b;
        bool equal;
    } cases[] = {
        {"Base de donnée", "BASE DE DONNÉE", true},
        {"cœur", "CŒUR", true},
        {"ÿ", "Ÿ", true},
        {"", "", true},
        {"abc", "abcd", false},
        {"×", "÷", false}, // the multiplication sign is no letter
        {"donnee", "donnée", false},
        {"\xE9t\xE9", "\xE9T\xE9", true}, // bytes that are not UTF-8 stand for themselves
        {"\xE9", "\xC9", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(win::EqualsIgnoringCase(c.a, c.b), c.equal);
        EXPECT_EQ(win::CaseFoldKey(c.a) == win::CaseFoldKey(c.b), c.equal);
    }
}

} // namespace
