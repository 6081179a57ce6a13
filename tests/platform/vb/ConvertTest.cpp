#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"

#include "NumericLocale.h"

#include <gtest/gtest.h>

using namespace vb;

namespace {

class FrenchSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!NumericLocale::Use("fr_FR")) {
            GTEST_SKIP() << "localedef cannot build fr_FR";
        }
    }
};

class EnglishSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!NumericLocale::Use("en_US")) {
            GTEST_SKIP() << "localedef cannot build en_US";
        }
    }
};

Date Day(int y, int m, int d, int h = 0, int mi = 0, int s = 0)
{
    return Date::FromParts(y, m, d, h, mi, s);
}

TEST(Convert, IntegersRoundHalfToEven)
{
    const std::pair<double, int> cases[] = {{2.5, 2},  {3.5, 4},        {-2.5, -2},  {-3.5, -4},
                                            {0.5, 0},  {1.5, 2},        {2.4999, 2}, {2.5001, 3},
                                            {-0.4, 0}, {32767.4, 32767}};
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(CInt(value), expected) << value;
        EXPECT_EQ(CLng(value), expected) << value;
    }
    // Currency rounds exactly, without going through a binary fraction.
    EXPECT_EQ(CLng(Currency::FromText("2.5")), 2);
    EXPECT_EQ(CLng(Currency::FromText("3.5")), 4);
    EXPECT_EQ(CLng(Currency::FromText("-2.5")), -2);
    EXPECT_EQ(CInt(true), -1);
    EXPECT_EQ(CLng(Variant()), 0);
}

TEST(Convert, OutOfRangeIsOverflowAndBadTextIsTypeMismatch)
{
    EXPECT_VB_ERROR(CInt(32768), ErrOverflow);
    EXPECT_VB_ERROR(CInt(-32769), ErrOverflow);
    EXPECT_VB_ERROR(CInt(32767.5), ErrOverflow); // rounds to 32768
    EXPECT_EQ(CInt(-32768.5), -32768);           // rounds to the even -32768
    EXPECT_VB_ERROR(CInt("40000"), ErrOverflow);
    EXPECT_VB_ERROR(CLng(2147483648.0), ErrOverflow);
    EXPECT_VB_ERROR(CCur(1e20), ErrOverflow);
    EXPECT_VB_ERROR(CSng(1e300), ErrOverflow);
    EXPECT_VB_ERROR(CDbl("1E400"), ErrOverflow);
    EXPECT_VB_ERROR(CLng("&H100000000"), ErrOverflow);

    EXPECT_VB_ERROR(CDbl("abc"), ErrTypeMismatch);
    EXPECT_VB_ERROR(CLng("12abc"), ErrTypeMismatch);
    EXPECT_VB_ERROR(CDbl(""), ErrTypeMismatch);
    EXPECT_VB_ERROR(CBool("peut-être"), ErrTypeMismatch);
    EXPECT_VB_ERROR(CDate("32/01/2006"), ErrTypeMismatch);

    EXPECT_VB_ERROR(CDbl(Variant::Null()), ErrInvalidUseOfNull);
    EXPECT_VB_ERROR(CStr(Variant::Null()), ErrInvalidUseOfNull);
    EXPECT_VB_ERROR(Variant("x").LongValue(), ErrTypeMismatch);
}

// A typed number beyond a double's range is an overflow however it is written; one too close
// to zero is 0.
TEST(Convert, TextsBeyondADoubleAreOverflowAndTinyOnesZero)
{
    const std::string digits309 = "2" + std::string(308, '0'); // 2E308, past the largest double
    enum Kind { Overflow, Large, Tiny };
    const struct
    {
        std::string text;
        Kind kind;
    } cases[] = {
        {digits309, Overflow},
        {"-" + std::string(309, '9'), Overflow},
        {std::string(400, '7') + "E-50", Overflow},
        {"1E309", Overflow},
        {"1" + std::string(308, '0'), Large}, // 1E308 fits
        {digits309 + "E-400", Tiny},          // 2E-92
        {"1E-400", Tiny},
        {std::string(400, '0') + "1E-400", Tiny},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 12) + "... (" + std::to_string(c.text.size()) +
                     " characters)");
        switch (c.kind) {
        case Overflow:
            EXPECT_VB_ERROR(CDbl(c.text), ErrOverflow);
            EXPECT_VB_ERROR(CLng(c.text), ErrOverflow);
            EXPECT_VB_ERROR(CInt(c.text), ErrOverflow);
            EXPECT_VB_ERROR(CCur(c.text), ErrOverflow);
            EXPECT_VB_ERROR(Val(c.text), ErrOverflow);
            break;
        case Large:
            EXPECT_GT(CDbl(c.text), 1e306);
            break;
        case Tiny:
            EXPECT_GE(CDbl(c.text), 0);
            EXPECT_LT(CDbl(c.text), 1e-90);
            EXPECT_EQ(CLng(c.text), 0);
            break;
        }
        EXPECT_TRUE(IsNumeric(c.text));
    }
}

TEST_F(FrenchSettings, TextsAreReadAndWrittenWithTheComma)
{
    EXPECT_EQ(CStr(2.5), "2,5");
    EXPECT_EQ(CStr(0.1 + 0.2), "0,3"); // 15 significant digits
    EXPECT_EQ(CStr(-0.0), "0");
    EXPECT_EQ(CStr(1e15), "1E+15");
    EXPECT_EQ(CStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(CStr(0.00001), "1E-05");
    EXPECT_EQ(CStr(1.5e-7), "1,5E-07");
    EXPECT_EQ(CStr(0.1f), "0,1");
    EXPECT_EQ(CStr(Currency::FromText("12.5")), "12,5");
    EXPECT_EQ(CStr(int16_t{-7}), "-7");
    EXPECT_EQ(CStr(2000000000), "2000000000");
    EXPECT_EQ(CStr(true), "True");
    EXPECT_EQ(CStr(Variant()), "");
    // An odd number halved holds the separator (the machine window's odd-line test).
    EXPECT_NE(CStr(7 / 2.0).find(','), std::string::npos);

    EXPECT_DOUBLE_EQ(CDbl("12,5"), 12.5);
    EXPECT_DOUBLE_EQ(CDbl(" -1,25E2 "), -125);
    EXPECT_VB_ERROR(CDbl("12.5"), ErrTypeMismatch);
    EXPECT_EQ(CInt("2,5"), 2);
    EXPECT_EQ(CLng("&HFFFFFFFF"), -1);
    EXPECT_EQ(CLng("&HFFFF"), -1); // four digits are a 16-bit value
    EXPECT_EQ(CLng("&H10000"), 65536);
    EXPECT_EQ(CLng("&H00003039"), 12345); // the badge reader's number
    EXPECT_EQ(CLng("&H00008000"), 32768); // eight digits: a 32-bit value
    EXPECT_EQ(CLng("&H8000"), -32768);
    EXPECT_EQ(CLng("&O17"), 15);
    // Exact: ten times 0,1 is 1.
    Currency sum;
    for (int i = 0; i < 10; ++i) {
        sum += CCur("0,1");
    }
    EXPECT_EQ(sum, CCur("1"));
    EXPECT_EQ(CCur("1,23456").Scaled(), 12346);
}

TEST_F(EnglishSettings, TextsAreReadAndWrittenWithThePoint)
{
    EXPECT_EQ(CStr(2.5), "2.5");
    EXPECT_EQ(CStr(Currency::FromText("-0.0001")), "-0.0001");
    EXPECT_DOUBLE_EQ(CDbl("12.5"), 12.5);
    EXPECT_VB_ERROR(CDbl("12,5"), ErrTypeMismatch);
    EXPECT_TRUE(IsNumeric("12.5"));
    EXPECT_FALSE(IsNumeric("12,5"));
}

TEST_F(FrenchSettings, IsNumeric)
{
    const std::pair<const char*, bool> texts[] = {
        {"12,5", true}, {" 12 ", true},   {"-1", true},    {"+3", true},  {"1E3", true},
        {",5", true},   {"&HFF", true},   {"12.5", false}, {"", false},   {" ", false},
        {"abc", false}, {"1,2,3", false}, {"-", false},    {"1E", false}, {"12 34", false}};
    for (const auto& [text, expected] : texts) {
        EXPECT_EQ(IsNumeric(text), expected) << text;
    }
    EXPECT_TRUE(IsNumeric(Variant()));
    EXPECT_TRUE(IsNumeric(3.5));
    EXPECT_TRUE(IsNumeric(true));
    EXPECT_FALSE(IsNumeric(Variant::Null()));
    EXPECT_FALSE(IsNumeric(Day(2006, 12, 31)));
}

TEST(Convert, DatesFromDayMonthYearTexts)
{
    const std::pair<const char*, Date> cases[] = {
        {"31/12/2006", Day(2006, 12, 31)},
        {"1/2/2007", Day(2007, 2, 1)},
        {"01/01/2005", Day(2005, 1, 1)},
        {"1/1/07", Day(2007, 1, 1)},
        {"1/1/45", Day(1945, 1, 1)},
        {"29/02/2008", Day(2008, 2, 29)},
        {"31-12-2006", Day(2006, 12, 31)},
        {"2006-12-31", Day(2006, 12, 31)},
        {" 31/12/2006 14:30 ", Day(2006, 12, 31, 14, 30)},
        {"31/12/2006 23:59:59", Day(2006, 12, 31, 23, 59, 59)},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(CDate(text), expected) << text;
        EXPECT_TRUE(IsDate(text)) << text;
    }
    const Date time = CDate("14:30:15");
    EXPECT_EQ(time.DatePart().serial, 0);
    EXPECT_EQ(time.ToParts().hour, 14);
    EXPECT_EQ(time.ToParts().second, 15);

    for (const char* text :
         {"31/02/2006", "29/02/2007", "13/13/2006", "12/31/2006", "0/1/2006", "1/2/3/4", "25:00",
          "12:60", "abc", "", "31/12/2006 abc", "39000", "31//2006"}) {
        EXPECT_FALSE(IsDate(text)) << text;
        EXPECT_VB_ERROR(CDate(text), ErrTypeMismatch);
    }
    EXPECT_FALSE(IsDate(39000));
    EXPECT_FALSE(IsDate(Variant::Null()));
    EXPECT_TRUE(IsDate(Day(2006, 1, 1)));
    EXPECT_EQ(CDate(39082.5), Day(2006, 12, 31, 12));
    EXPECT_VB_ERROR(CDate(1e7), ErrOverflow);
}

TEST(Convert, DatesAsTexts)
{
    EXPECT_EQ(CStr(Day(2006, 12, 31)), "31/12/2006");
    EXPECT_EQ(CStr(Day(2007, 2, 1, 8, 5, 9)), "01/02/2007 08:05:09");
    EXPECT_EQ(CStr(CDate("08:05")), "08:05:00");
    EXPECT_EQ(CStr(Date{0}), "00:00:00");
    EXPECT_EQ(CStr(Date{-1.25}), "29/12/1899 06:00:00");
    EXPECT_EQ(CStr(Date{39082 - 0.1 / 86400}), "31/12/2006"); // rounds to midnight
    EXPECT_EQ(CStr(Date{1 - 0.1 / 86400}), "31/12/1899");
}

TEST(Convert, ValReadsTheLeadingNumber)
{
    const std::pair<const char*, double> cases[] = {
        {"12,5", 12},  {" 1 2 3", 123},   {"&HFFFF", -1}, {"&HFFFFFFFF", -1}, {"&H10000", 65536},
        {"&O10", 8},   {"abc", 0},        {"", 0},        {"1.5e2x", 150},    {"-.5", -0.5},
        {"12abc", 12}, {"  128   ", 128}, {"3.4.5", 3.4}, {"1e", 1},          {"&H", 0}};
    for (const auto& [text, expected] : cases) {
        EXPECT_DOUBLE_EQ(Val(text), expected) << text;
    }
}

TEST(Convert, Booleans)
{
    EXPECT_TRUE(CBool("Vrai"));
    EXPECT_TRUE(CBool(" true "));
    EXPECT_FALSE(CBool("Faux"));
    EXPECT_FALSE(CBool("0"));
    EXPECT_TRUE(CBool(-1));
    EXPECT_TRUE(CBool(Currency::FromScaled(1)));
    EXPECT_FALSE(CBool(Variant()));
}

TEST(Currency, ExactArithmeticAndRounding)
{
    EXPECT_EQ(Currency::FromText("2.00005").Scaled(), 20000); // half to even
    EXPECT_EQ(Currency::FromText("2.00015").Scaled(), 20002);
    EXPECT_EQ(Currency::FromText("2.000051").Scaled(), 20001);
    EXPECT_EQ(Currency::FromDouble(0.125).Scaled(), 1250);
    EXPECT_EQ((Currency::FromText("0.1") * Currency::FromText("3")).ToText(), "0.3");
    EXPECT_EQ((Currency::FromText("10") / Currency::FromText("3")).ToText(), "3.3333");
    EXPECT_EQ((Currency::FromText("-12.34") + Currency::FromText("2.34")).ToText(), "-10");
    EXPECT_EQ(Currency::FromScaled(INT64_MIN).ToText(), "-922337203685477.5808");
    EXPECT_LT(Currency::FromText("-1"), Currency::FromText("0.0001"));

    EXPECT_VB_ERROR(Currency::FromScaled(INT64_MAX) + Currency::FromScaled(1), ErrOverflow);
    EXPECT_VB_ERROR(-Currency::FromScaled(INT64_MIN), ErrOverflow);
    EXPECT_VB_ERROR(Currency::FromText("1") / Currency(), ErrDivisionByZero);
    EXPECT_VB_ERROR(Currency::FromText("1,5"), ErrTypeMismatch);
    EXPECT_VB_ERROR(Currency::FromText("."), ErrTypeMismatch);
    EXPECT_VB_ERROR(Currency::FromText("922337203685478"), ErrOverflow);
}

TEST(Variant, ComparisonsFollowTheLanguage)
{
    EXPECT_TRUE(Variant(5) == Variant("5"));
    EXPECT_TRUE(Variant(int16_t{5}) == Variant(5.0));
    EXPECT_TRUE(Variant(Currency::FromText("2.5")) == Variant(2.5));
    EXPECT_TRUE(Variant("abc") < Variant("abd"));
    EXPECT_TRUE(Variant("Z") < Variant("a")); // binary order
    EXPECT_TRUE(Variant("é") > Variant("z"));
    EXPECT_TRUE(Variant(9) < Variant(10)); // numbers by value, not as texts
    EXPECT_TRUE(Variant("9") > Variant("10"));
    EXPECT_TRUE(Variant() == Variant(0));
    EXPECT_TRUE(Variant() == Variant(""));
    EXPECT_TRUE(Variant(Day(2006, 12, 31)) == Variant("31/12/2006"));
    EXPECT_TRUE(Variant(Day(2006, 12, 31)) < Variant(Day(2006, 12, 31, 0, 0, 1)));
    EXPECT_TRUE(Variant(true) == Variant(-1));

    // Null is neither equal nor unequal to anything.
    for (const Variant& other : {Variant::Null(), Variant(1), Variant("")}) {
        EXPECT_FALSE(Variant::Null() == other);
        EXPECT_FALSE(Variant::Null() != other);
        EXPECT_FALSE(other < Variant::Null());
        EXPECT_FALSE(other >= Variant::Null());
    }
    EXPECT_VB_ERROR(Compare(Variant::Null(), 1), ErrInvalidUseOfNull);
    EXPECT_VB_ERROR(Variant("abc") == Variant(5), ErrTypeMismatch);
}

TEST(Variant, AdditionAndConcatenation)
{
    const Variant widened = Variant(int16_t{32767}) + Variant(int16_t{1});
    EXPECT_EQ(widened.Type(), VarType::Long);
    EXPECT_EQ(widened.LongValue(), 32768);
    const Variant doubled = Variant(2147483647) + Variant(1);
    EXPECT_EQ(doubled.Type(), VarType::Double);
    EXPECT_EQ((Variant(int16_t{1}) + Variant(int16_t{2})).Type(), VarType::Integer);
    EXPECT_EQ((Variant(1.5f) + Variant(int16_t{1})).Type(), VarType::Single);
    EXPECT_EQ((Variant(Currency::FromText("1.5")) + Variant(2)).CurrencyValue().ToText(), "3.5");
    EXPECT_EQ((Variant("a") + Variant("b")).StringValue(), "ab");
    EXPECT_EQ((Variant("1") + Variant(2)).DoubleValue(), 3);
    EXPECT_TRUE((Variant::Null() + Variant(1)).IsNull());
    EXPECT_EQ((Variant(Day(2006, 12, 31)) + Variant(1)).DateValue(), Day(2007, 1, 1));
}

} // namespace
