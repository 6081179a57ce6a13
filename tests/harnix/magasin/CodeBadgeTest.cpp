#include "harnix/magasin/CodeBadge.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Ean13Case
{
    std::string code;
    std::string fontText;  // what EAN13 returns
    std::string codeAfter; // what EAN13 leaves in its argument
};

class Ean13 : public ::testing::TestWithParam<Ean13Case>
{
};

TEST_P(Ean13, GivesTheFontTextAndCompletesTheCode)
{
    std::string code = GetParam().code;
    EXPECT_EQ(CodeBadge::EAN13(code), GetParam().fontText);
    EXPECT_EQ(code, GetParam().codeAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, Ean13,
    ::testing::Values(
        Ean13Case{"400638133393", "4AKGDSL*dddjdb+", "4006381333931"},
        Ean13Case{"", "0AAAAAA*aaaaaa+", "0000000000000"},
        // Short numbers keep their digits at the left.
        Ean13Case{"1000", "1AAKAKK*aaaaaj+", "1000000000009"},
        Ean13Case{"123", "1CDKAKK*aaaaaa+", "1230000000000"},
        // One case of each first digit's parity row not met above.
        Ean13Case{"200000000000", "2AAKKAK*aaaaai+", "2000000000008"},
        Ean13Case{"390000000000", "3JAKKKA*aaaaaa+", "3900000000000"},
        Ean13Case{"512345678901", "5BMNEFQ*hijabh+", "5123456789017"},
        Ean13Case{"6", "6AKKKAA*aaaaae+", "6000000000004"},
        Ean13Case{"7", "7AKAKAK*aaaaad+", "7000000000003"},
        Ean13Case{"8", "8AKAKKA*aaaaac+", "8000000000002"},
        Ean13Case{"9", "9AKKAKA*aaaaab+", "9000000000001"},
        // Unusable codes: a letter (the argument stays padded), more than twelve characters.
        Ean13Case{"12a", "", "12a000000000"}, Ean13Case{"12é", "", "12é000000000"},
        Ean13Case{"4006381333931", "", "4006381333931"}, Ean13Case{"12 4", "", "12 400000000"}));

TEST(CalculChecksumEAN13, AppendsTheCheckDigitOfTheFirstTwelvePositions)
{
    struct Case
    {
        std::string code, result;
    } cases[] = {
        {"400638133393", "4006381333931"},
        {"", "0"},
        // A thirteenth digit and beyond are ignored; a fourteenth is appended.
        {"4006381333931", "40063813339311"},
        // Missing and non-digit positions count 0, and nothing is padded.
        {"12", "123"},
        {"1x", "1x9"},
        {"420000000000", "4200000000000"},
        {"000000000019", "0000000000192"},
    };
    for (auto& c : cases) {
        std::string code = c.code;
        EXPECT_EQ(CodeBadge::CalculChecksumEAN13(code), c.result) << c.code;
        EXPECT_EQ(code, c.result) << "the argument is changed too";
    }
}

TEST(Completer12, PadsOnTheRightToTwelveCharacters)
{
    for (auto [code, padded] : {std::pair<std::string, std::string>{"42", "420000000000"},
                                {"", "000000000000"},
                                {"400638133393", "400638133393"},
                                {"4006381333931", "4006381333931"}}) {
        CodeBadge::Completer12(code);
        EXPECT_EQ(code, padded);
    }
}

// The greatest whole number, not the last in text order; other texts and Nulls are passed over.
TEST(NumeroSuivant, TheGreatestWholeNumberPlusOne)
{
    using V = vb::Variant;
    struct Cas
    {
        std::vector<V> badges;
        std::string suivant;
    };
    const Cas cas[] = {
        {{}, "1000"},
        {{V(), V("ABC")}, "1000"},
        {{V("1000"), V("1002"), V("1001")}, "1003"},
        {{V("999"), V("1000"), V("1009")}, "1010"},
        {{V("1000"), V("ABC"), V(), V("1002")}, "1003"},
        {{V("-5"), V("12a"), V("0042")}, "43"},
        {{V("4006381333931")}, "4006381333932"},
        {{V("1234567890123456789")}, "1000"}, // more digits than a number holds
        {{V(int32_t(77))}, "78"},
    };
    for (const Cas& c : cas)
        EXPECT_EQ(CodeBadge::NumeroSuivant(c.badges, "1000"), c.suivant) << c.suivant;
    EXPECT_EQ(CodeBadge::NumeroSuivant({}, "5000"), "5000");
}

} // namespace
