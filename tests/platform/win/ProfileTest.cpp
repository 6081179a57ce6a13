#include "platform/win/Profile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

// One settings file, written in each of the encodings and line ends that such files come in.
// "\xE9" stands for é, "\x80" for the euro sign in the 8-bit set.
std::string SettingsFile(bool utf8, std::string_view lineEnd)
{
    const std::string e = utf8 ? "é" : "\xE9";
    const std::string E = utf8 ? "É" : "\xC9";
    const std::string euro = utf8 ? "€" : "\x80";
    const std::string lines[] = {
        "; settings of the store",
        "Nom=before any section",
        "[Base de donn" + e + "e]",
        "  Nom  =  ZAD2  ",
        "Serveur=\"SRV\\INST\"",
        "Quote='single'",
        "Mixed=\"abc'",
        "Inner=a \"b\" c",
        "P=",
        "Blank=   \t",
        "Devise=" + euro + " " + e,
        "[ badge ]",
        "TypeLecteurBadge=3",
        "PremierNumero=  abc  ",
        "Big=40000",
        "Text=abc",
        "Neg=-12",
        "Lead=12abc",
        "Plus=+7",
        "Huge=4294967297",
        "Empty=",
        "QuotedNumber=\"42\"",
        "NoEquals",
        "Dup=first",
        "dup=second",
        ";Gants=5",
        "[BADGE]",
        "Gants=9",
        "Dup=third",
        "[Long]",
        "A=" + std::string(300, 'a'),
        "E=" +
            [&] {
                std::string s;
                for (int i = 0; i < 300; ++i)
                    s += e;
                return s;
            }(),
        "[" + E + "t" + e + "]",
        "Cl" + E + "=accent",
    };
    std::string text;
    for (const auto& line : lines)
        text += line + std::string(lineEnd);
    return text;
}

struct Encoding
{
    const char* name;
    bool utf8;
    const char* bom;
    const char* lineEnd;
};

class ProfileTest : public ::testing::TestWithParam<Encoding>
{
protected:
    void SetUp() override
    {
        path = dir.Write("automat.ini",
                         GetParam().bom + SettingsFile(GetParam().utf8, GetParam().lineEnd));
    }
    TempDir dir;
    std::string path;
};

TEST_P(ProfileTest, ReadsTexts)
{
    struct Case
    {
        const char* section;
        const char* key;
        std::string def;
        std::string expected;
    };
    const Case cases[] = {
        {"Base de donnée", "Nom", "x", "ZAD2"},
        {"BASE DE DONNÉE", "nOM", "x", "ZAD2"},
        {"Base de donnée", "Serveur", "x", "SRV\\INST"},
        {"Base de donnée", "Quote", "x", "single"},
        {"Base de donnée", "Mixed", "x", "\"abc'"},
        {"Base de donnée", "Inner", "x", "a \"b\" c"},
        {"Base de donnée", "P", "default", ""},
        {"Base de donnée", "Blank", "default", ""},
        {"Base de donnée", "Devise", "x", "€ é"},
        {"Base de donnée", "Absent", "default", "default"},
        {"Base de donnée", "Absent", "trailing  \t", "trailing"},
        {"Badge", "PremierNumero", "1000", "abc"},
        {"Badge", "Dup", "x", "first"},
        // Only the first section of a name is searched.
        {"Badge", "Gants", "1", "1"},
        {"Badge", "NoEquals", "x", ""},
        {"Badge", ";Gants", "1", "1"},
        {"Long", "A", "x", std::string(255, 'a')},
        {"Long", "E", "x",
         [] {
             std::string s;
             for (int i = 0; i < 255; ++i)
                 s += "é";
             return s;
         }()},
        {"Long", "Absent", std::string(300, 'd'), std::string(255, 'd')},
        {"été", "clé", "x", "accent"},
        {"Absent", "Nom", "ZAD", "ZAD"},
        {"", "Nom", "ZAD", "ZAD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(win::GetPrivateProfileString(c.section, c.key, c.def, path), c.expected);
    }
}

TEST_P(ProfileTest, ReadsIntegers)
{
    struct Case
    {
        const char* key;
        int def;
        int expected;
    };
    const Case cases[] = {
        {"TypeLecteurBadge", 1, 3},
        {"Big", 1, 40000},
        {"Text", 1, 0},
        {"Neg", 1, -12},
        {"Lead", 1, 12},
        {"Plus", 1, 7},
        {"Huge", 1, 1},
        {"PremierNumero", 1, 0},
        {"QuotedNumber", 1, 42},
        {"Empty", 5, 5},
        {"NoEquals", 5, 5},
        {"Absent", 5, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(win::GetPrivateProfileInt("badge", c.key, c.def, path), c.expected);
    }
    EXPECT_EQ(win::GetPrivateProfileInt("Absent", "Big", 3, path), 3);
}

INSTANTIATE_TEST_SUITE_P(Encodings, ProfileTest,
                         ::testing::Values(Encoding{"Utf8", true, "", "\n"},
                                           Encoding{"Utf8BomCrLf", true, "\xEF\xBB\xBF", "\r\n"},
                                           Encoding{"Cp1252CrLf", false, "", "\r\n"},
                                           Encoding{"Cp1252", false, "", "\n"}),
                         [](const auto& info) { return info.param.name; });

TEST(Profile, FindsTheFileWithoutRegardToCaseOrSlashes)
{
    TempDir dir;
    dir.Write("automat.ini", "[APPLICATION]\nDotation=NON\n");
    EXPECT_EQ(win::GetPrivateProfileString("Application", "Dotation", "OUI", dir / "AUTOMAT.INI"),
              "NON");
    std::string backslashed = dir / "Automat.Ini";
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    EXPECT_EQ(win::GetPrivateProfileInt("Application", "Dotation", 7, backslashed), 0);
}

TEST(Profile, MissingOrUnreadableFileGivesTheDefault)
{
    TempDir dir;
    EXPECT_EQ(win::GetPrivateProfileString("intl", "sDecimal", ",", dir / "WIN.INI"), ",");
    EXPECT_EQ(win::GetPrivateProfileInt("Badge", "Gants", 1, dir / "WIN.INI"), 1);
    // A folder of the file's name is no file.
    std::filesystem::create_directory(dir / "win.ini");
    EXPECT_EQ(win::GetPrivateProfileString("intl", "sDecimal", ",", dir / "win.ini"), ",");
    EXPECT_EQ(win::GetPrivateProfileString("intl", "sDecimal", ",", ""), ",");
}

} // namespace
