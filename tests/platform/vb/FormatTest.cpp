#include "platform/vb/Format.h"
#include "platform/vb/Convert.h"

#include "NumericLocale.h"

#include <gtest/gtest.h>

using namespace vb;

namespace {

const std::string Money = "#\u00A0##0,00 \"€\"";
const std::string NumVente = " #\u00A0##0,00";

Date Day(int y, int m, int d, int h = 0, int mi = 0, int s = 0)
{
    return Date::FromParts(y, m, d, h, mi, s);
}

TEST(Format, DatePatterns)
{
    const Date d = Day(2006, 12, 31, 14, 5, 9);
    const std::pair<const char*, const char*> cases[] = {
        {"dd/mm/yyyy", "31/12/2006"},
        {"mmmm", "décembre"},
        {"hh:mm:ss", "14:05:09"},
        {"hh:mm", "14:05"},
        {"yyyy", "2006"},
        {"mm", "12"},
        {"d/m/yy", "31/12/06"},
        {"dd/mm/yyyy hh:nn", "31/12/2006 14:05"},
        {"DD/MM/YYYY", "31/12/2006"},
        {"dddd d mmmm yyyy", "dimanche 31 décembre 2006"},
        {"ddd dd mmm", "dim. 31 déc."},
        {"h\\h nn", "14h 05"},
        {"\"le\" d", "le 31"},
        {"dd \"h:m\" hh", "31 h:m 14"}, // letters in quotes are text
        {"d \"fin", "31 fin"},          // a quote left open runs to the end
        {"\\d d\\", "d 31"},            // a final "\" stands for nothing
        {"\"0\" d", "0 31"},            // a quoted digit makes no number pattern
        {"q", "4"},
        {"Short Date", "31/12/2006"},
        {"short date", "31/12/2006"},
        {"Long Time", "14:05:09"},
        {"General Date", "31/12/2006 14:05:09"},
    };
    for (const auto& [pattern, expected] : cases) {
        EXPECT_EQ(Format(d, pattern), expected) << pattern;
    }
    const char* months[] = {"janvier", "février", "mars",      "avril",   "mai",      "juin",
                            "juillet", "août",    "septembre", "octobre", "novembre", "décembre"};
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(Format(Day(2007, m, 1), "mmmm"), months[m - 1]);
    }
    // Texts and serials are read as dates.
    EXPECT_EQ(Format("01/01/2005", "Short Date"), "01/01/2005");
    EXPECT_EQ(Format("1/2/2007", "dd/mm/yyyy"), "01/02/2007");
    EXPECT_EQ(Format(39082, "dd/mm/yyyy"), "31/12/2006");
    EXPECT_EQ(Format("pas une date", "dd/mm/yyyy"), "pas une date");
    EXPECT_EQ(Format(Variant::Null(), "dd/mm/yyyy"), "");
    EXPECT_EQ(Format(d), "31/12/2006 14:05:09");
}

struct NumberCase
{
    Variant value;
    std::string pattern;
    std::string comma; // with the "," separator
    std::string point; // with the "." separator
};

class FormatNumbers : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        if (!NumericLocale::Use(GetParam())) {
            GTEST_SKIP() << "localedef cannot build " << GetParam();
        }
    }
    bool Comma() const { return std::string(GetParam()) == "fr_FR"; }
};

TEST_P(FormatNumbers, Patterns)
{
    const std::string nbsp = "\u00A0";
    const NumberCase cases[] = {
        {2.5, "0.00", "2,50", "2.50"},
        {2.675, "0.00", "2,68", "2.68"}, // rounded as written, not as stored in binary
        {2.5, "0", "3", "3"},            // halves away from zero
        {-2.5, "0", "-3", "-3"},
        {-0.001, "0.00", "0,00", "0.00"},
        {5, "00", "05", "05"},
        {12, "00", "12", "12"},
        {123, "00", "123", "123"},
        {7, "000", "007", "007"},
        {0.5, "#.00", ",50", ".50"},
        {1.5, "0.##", "1,5", "1.5"},
        {1, "0.##", "1", "1"},
        {0.256, "0%", "26%", "26%"},
        {-5, "0;(0);\"zéro\"", "(5)", "(5)"},
        {0, "0;(0);\"zéro\"", "zéro", "zéro"},
        {1234.5, Money, "1" + nbsp + "234,50 €", "1" + nbsp + "234.50 €"},
        {1234567.891, Money, "1" + nbsp + "234" + nbsp + "567,89 €",
         "1" + nbsp + "234" + nbsp + "567.89 €"},
        {0, Money, "0,00 €", "0.00 €"},
        {-1234.5, Money, "-1" + nbsp + "234,50 €", "-1" + nbsp + "234.50 €"},
        {999.999, Money, "1" + nbsp + "000,00 €", "1" + nbsp + "000.00 €"},
        {Currency::FromText("1234.5678"), Money, "1" + nbsp + "234,57 €", "1" + nbsp + "234.57 €"},
        {12, NumVente, " 12,00", " 12.00"},
        {1234567, "#,##0", "1" + nbsp + "234" + nbsp + "567", "1,234,567"},
        {1e20, "0", "100000000000000000000", "100000000000000000000"},
        {Variant(0.1f), "0.000000", "0,100000", "0.100000"},
        {Variant(true), "0", "-1", "-1"},
        {"pas un nombre", "0.00", "pas un nombre", "pas un nombre"},
        {5, "\\#0", "#5", "#5"},
        {5, "0 \"kg", "5 kg", "5 kg"},
        {-5, "0;\"(;)\"0", "(;)5", "(;)5"}, // no section break inside quotes
        {2.5, "0.0\\", "2,5", "2.5"},
    };
    for (const NumberCase& c : cases) {
        EXPECT_EQ(Format(c.value, c.pattern), Comma() ? c.comma : c.point) << c.pattern;
    }
    // A text is read with the settings' separator, exactly.
    EXPECT_EQ(Format(Comma() ? "12,5" : "12.5", "0.00"), Comma() ? "12,50" : "12.50");
    EXPECT_EQ(Format(Comma() ? "0,125" : "0.125", "0.00"), Comma() ? "0,13" : "0.13");
    EXPECT_EQ(Format(2.5), Comma() ? "2,5" : "2.5");
}

INSTANTIATE_TEST_SUITE_P(Separators, FormatNumbers, ::testing::Values("fr_FR", "en_US"));

} // namespace
