#include "platform/vb/Strings.h"
#include "platform/vb/Error.h"

#include "NumericLocale.h"

#include <gtest/gtest.h>

using namespace vb;

namespace {

TEST(Strings, TrimRemovesBlanksOnly)
{
    EXPECT_EQ(Trim("  abc  "), "abc");
    EXPECT_EQ(LTrim("  abc  "), "abc  ");
    EXPECT_EQ(RTrim("  abc  "), "  abc");
    EXPECT_EQ(Trim("\tabc\t"), "\tabc\t");
    EXPECT_EQ(Trim("    "), "");
    EXPECT_EQ(Trim("\u00A0é\u00A0"), "\u00A0é\u00A0");
}

TEST(Strings, CaseOfAccentedLetters)
{
    EXPECT_EQ(UCase("élève ça œuvre ÿ à l'île"), "ÉLÈVE ÇA ŒUVRE Ÿ À L'ÎLE");
    EXPECT_EQ(LCase("ÉLÈVE ÇA ŒUVRE Ÿ À L'ÎLE"), "élève ça œuvre ÿ à l'île");
    EXPECT_EQ(UCase("straße µ 12 €"), "STRAßE µ 12 €");
    EXPECT_EQ(UCase("šž"), "ŠŽ");
    EXPECT_EQ(LCase("×÷"), "×÷");
    // A byte that is not UTF-8 is kept as it is.
    EXPECT_EQ(UCase("a\xE9z"), "A\xE9Z");
}

TEST(Strings, PositionsCountCharacters)
{
    EXPECT_EQ(Len("élève"), 5);
    EXPECT_EQ(Len(""), 0);
    EXPECT_EQ(Left("élève", 2), "él");
    EXPECT_EQ(Left("abc", 10), "abc");
    EXPECT_EQ(Left("abc", 0), "");
    EXPECT_EQ(Right("élève", 3), "ève");
    EXPECT_EQ(Right("abc", 10), "abc");
    EXPECT_EQ(Mid("élève", 2, 3), "lèv");
    EXPECT_EQ(Mid("élève", 3), "ève");
    EXPECT_EQ(Mid("abc", 5), "");
    EXPECT_EQ(Mid("abc", 2, 10), "bc");
    // Bytes that are not UTF-8 (a cut sequence, a lone 8-bit code) count one each.
    EXPECT_EQ(Len("a\xE9"
                  "b\xC3"),
              4);
    EXPECT_EQ(Left("\xE9\xE9", 1), "\xE9");
    EXPECT_EQ(Right("é\xC3", 1), "\xC3");
    EXPECT_VB_ERROR(Mid("abc", 0), ErrInvalidCall);
    EXPECT_VB_ERROR(Mid("abc", 1, -1), ErrInvalidCall);
    EXPECT_VB_ERROR(Left("abc", -1), ErrInvalidCall);
    EXPECT_VB_ERROR(Right("abc", -1), ErrInvalidCall);
}

TEST(Strings, Search)
{
    EXPECT_EQ(InStr("élève", "v"), 4);
    EXPECT_EQ(InStr(3, "abcabc", "b"), 5);
    EXPECT_EQ(InStr("abc", "d"), 0);
    EXPECT_EQ(InStr("abc", ""), 1);
    EXPECT_EQ(InStr(3, "abc", ""), 3);
    EXPECT_EQ(InStr(5, "abc", ""), 0);
    EXPECT_EQ(InStr("", "a"), 0);
    EXPECT_EQ(InStr("ÉLÈVE", "è"), 0);
    EXPECT_EQ(InStr("ÉLÈVE", "è", vbTextCompare), 3);
    EXPECT_VB_ERROR(InStr(0, "abc", "a"), ErrInvalidCall);
    EXPECT_EQ(StrComp("abc", "ABC"), 1);
    EXPECT_EQ(StrComp("abc", "ABC", vbTextCompare), 0);
    EXPECT_EQ(StrComp("a", "b"), -1);
}

TEST(Strings, ReplaceSplitJoin)
{
    EXPECT_EQ(Replace("a-b-c", "-", "+"), "a+b+c");
    EXPECT_EQ(Replace("Été été ÉTÉ", "été", "x", vbTextCompare), "x x x");
    EXPECT_EQ(Replace("Été été", "été", "x"), "Été x");
    EXPECT_EQ(Replace("aaa", "aa", "b"), "ba");
    EXPECT_EQ(Replace("abc", "", "x"), "abc");
    EXPECT_EQ(Replace("café crème", "é", "e"), "cafe crème");

    EXPECT_EQ(Split("a;b;;c", ";"), (std::vector<std::string>{"a", "b", "", "c"}));
    EXPECT_EQ(Split("a b"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Split("x;", ";"), (std::vector<std::string>{"x", ""}));
    EXPECT_TRUE(Split("", ";").empty());
    EXPECT_EQ(Split("abc", ""), (std::vector<std::string>{"abc"}));
    EXPECT_EQ(Join({"a", "", "c"}, "\t"), "a\t\tc");

    EXPECT_EQ(Space(3), "   ");
    EXPECT_EQ(String(3, "éx"), "ééé");
    EXPECT_VB_ERROR(Space(-1), ErrInvalidCall);
    EXPECT_VB_ERROR(String(2, ""), ErrInvalidCall);
}

TEST(Strings, ChrAndAscUseThe8BitSet)
{
    const std::pair<int, const char*> cases[] = {{65, "A"},  {128, "€"}, {233, "é"},
                                                 {156, "œ"}, {159, "Ÿ"}, {160, "\u00A0"},
                                                 {255, "ÿ"}, {9, "\t"}};
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(Chr(code), text) << code;
        EXPECT_EQ(Asc(text), code) << code;
    }
    EXPECT_EQ(Chr(0), std::string(1, '\0'));
    EXPECT_EQ(Asc("€uro"), 128);
    EXPECT_EQ(Asc("Ω"), 63);
    EXPECT_EQ(AscW("Ω"), U'Ω');
    EXPECT_VB_ERROR(Chr(256), ErrInvalidCall);
    EXPECT_VB_ERROR(Chr(-1), ErrInvalidCall);
    EXPECT_VB_ERROR(Asc(""), ErrInvalidCall);
}

} // namespace
