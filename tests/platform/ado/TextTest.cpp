#include "platform/ado/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(CompareText, IgnoresCaseOfEveryLetterButNotAccents)
{
    struct Case
    {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"DUPONT", "dupont", 0}, {"ÉTÉ", "été", 0}, {"Œuvre", "œuvre", 0},
        {"e", "é", -1},          {"é", "f", -1},    {"côte", "COTE", 1},
        {"abc", "abcd", -1},     {"ÿ", "Ÿ", 0},     {"Zoé", "zoe", 1},
        {"10", "9", -1},         {"", "a", -1},     {"straße", "STRASSE", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ado::CompareText(c.a, c.b), c.expected) << c.a << " / " << c.b;
        EXPECT_EQ(ado::CompareText(c.b, c.a), -c.expected) << c.b << " / " << c.a;
    }
}

TEST(CompareText, SortsInFrenchOrder)
{
    std::vector<std::string> names = {"Zèbre", "éclair", "Eclat", "ecole",
                                      "Émile", "état",   "Étau",  "fa"};
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return ado::CompareText(a, b) < 0;
    });
    const std::vector<std::string> expected = {"éclair", "Eclat", "ecole", "Émile",
                                               "état",   "Étau",  "fa",    "Zèbre"};
    EXPECT_EQ(names, expected);
}

TEST(LikeMatch, TakesBothWildcardSetsWithoutCase)
{
    struct Case
    {
        const char* pattern;
        const char* text;
        bool expected;
    };
    const Case cases[] = {
        {"DU*", "dupont", true},
        {"du%", "DUPONT", true},
        {"D?P*", "DUPONT", true},
        {"d_p*", "Dupont", true},
        {"abc", "abcd", false},
        {"*é*", "CAFÉ CRÈME", true},
        {"*e*", "CAFÉ", false},
        {"123", "123", true},
        {"12", "123", false},
        {"*", "", true},
        {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},
        {"KLMN*", "KLMNO", true},
        {"", "", true},
        // Classes, as the Access dialect writes them.
        {"[a-c]1", "B1", true},
        {"[!a-c]1", "b1", false},
        {"[!a-c]1", "d1", true},
        {"[xé]", "É", true},
        {"[*]*", "*AB", true},
        {"[*]*", "AB", false},
        {"a[", "a[", true},
        {"[]]", "]", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ado::LikeMatch(c.pattern, c.text), c.expected) << c.pattern << " ~ " << c.text;
    }
    EXPECT_TRUE(ado::LikeMatch("100!%", "100%", U'!'));
    EXPECT_FALSE(ado::LikeMatch("100!%", "1000", U'!'));
}

// Patterns of plain ASCII are matched on the text's bytes: a wildcard still stands for whole
// characters of an accented text.
TEST(LikeMatch, AsciiPatternsOverAccentedTexts)
{
    struct Case
    {
        const char* pattern;
        const char* text;
        bool expected;
    };
    const Case cases[] = {
        {"?cran", "écran", true},    {"??cran", "écran", false},  {"_CRAN", "ÉCRAN", true},
        {"caf?", "CAFÉ", true},      {"caf??", "CAFÉ", false},    {"*ran", "écran", true},
        {"*?ran", "écran", true},    {"c*e", "CAFÉ CRÈME", true}, {"ca*?", "caÿ", true},
        {"e*", "écran", false},      {"écran", "ECRAN", false},   {"ECRAN*", "écran", false},
        {"art*", "ARTICLE 9", true}, {"art", "ART", true},        {"art", "ARTS", false},
        {"a?t*", "aé", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ado::LikeMatch(c.pattern, c.text), c.expected) << c.pattern << " ~ " << c.text;
    }
}

TEST(LikeLiteral, MatchesTheTypedTextAloneWildcardsIncluded)
{
    for (const char* typed : {"D'ALMEIDA", "A*B", "R?2", "N#5", "[X]", "100%", "A_B", ""}) {
        const std::string pattern = ado::LikeLiteral(typed);
        EXPECT_TRUE(ado::LikeMatch(pattern, typed)) << typed;
        EXPECT_TRUE(ado::LikeMatch(pattern + "*", std::string(typed) + "Z")) << typed;
    }
    EXPECT_FALSE(ado::LikeMatch(ado::LikeLiteral("A*B"), "AXB"));
    EXPECT_FALSE(ado::LikeMatch(ado::LikeLiteral("R?2"), "RX2"));
    EXPECT_FALSE(ado::LikeMatch(ado::LikeLiteral("A_B"), "AXB"));
    EXPECT_FALSE(ado::LikeMatch(ado::LikeLiteral("100%") + "*", "1000"));
}

} // namespace
