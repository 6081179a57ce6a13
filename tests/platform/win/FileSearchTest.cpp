#include "platform/win/FileSearch.h"

#include "TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(FileSearch, NormalizesSeparators)
{
    EXPECT_EQ(win::NormalizePath("C:\\dir\\a.txt"), "C:/dir/a.txt");
    EXPECT_EQ(win::NormalizePath("/already/fine"), "/already/fine");
    EXPECT_EQ(win::NormalizePath("mixed\\and/"), "mixed/and/");
}

class FileSearchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.Write("fonts.gif", "x");
        dir.Write("Readme.TXT", "x");
        dir.Write("a.txt", "lower");
        dir.Write("A.TXT", "upper");
        dir.Write("donnée.ini", "x");
        std::filesystem::create_directory(dir / "Icon");
        dir.Write("Icon/x.gif", "x");
        std::filesystem::create_directory(dir / "Logs");
        dir.Write("LOGS", "x");
    }
    TempDir dir;
};

TEST_F(FileSearchTest, FindsPlainFilesIgnoringCase)
{
    struct Case
    {
        const char* name;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"Fonts.GIF", "fonts.gif"},
        {"README.txt", "Readme.TXT"},
        {"DONNÉE.INI", "donnée.ini"},
        {"a.txt", "a.txt"},
        {"A.TXT", "A.TXT"},
        {"a.Txt", "A.TXT"},
        {"icon", std::nullopt},
        {"*.gif", std::nullopt},
        {"fonts.gi?", std::nullopt},
        {"Icon\\x.gif", std::nullopt},
        {"Icon/x.gif", std::nullopt},
        {"", std::nullopt},
        {"absent.txt", std::nullopt},
        {"Logs", "LOGS"},
        {"logs", "LOGS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto found = win::FindFileIgnoringCase(dir.path(), c.name);
        if (c.expected)
            EXPECT_EQ(found, dir / *c.expected);
        else
            EXPECT_EQ(found, std::nullopt);
    }
}

TEST_F(FileSearchTest, AcceptsAnyFormOfTheFolder)
{
    std::string backslashed = dir.path() + "\\";
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    EXPECT_EQ(win::FindFileIgnoringCase(backslashed, "FONTS.GIF"), dir / "fonts.gif");
    EXPECT_EQ(win::FindFileIgnoringCase(dir.path() + "/", "FONTS.GIF"), dir / "fonts.gif");
    EXPECT_EQ(win::FindFileIgnoringCase(dir / "Icon", "X.GIF"), dir / "Icon/x.gif");
    EXPECT_EQ(win::FindFileIgnoringCase(dir / "absent", "fonts.gif"), std::nullopt);
    EXPECT_EQ(win::FindFileIgnoringCase(dir / "fonts.gif", "x"), std::nullopt);
}

// The index reads the folder once: a file written later is found once it is added, and an added
// exact spelling wins over another case as it would in a fresh search.
TEST_F(FileSearchTest, AnIndexReadsTheFolderOnceAndLearnsWhatIsAdded)
{
    win::FolderIndex index(dir.path());
    EXPECT_EQ(index.Find("A.txt"), dir / "A.TXT");
    EXPECT_EQ(index.Find("*.txt"), std::nullopt);

    dir.Write("rptfonts.gif", "old copy");
    EXPECT_EQ(index.Find("RPTfonts.gif"), std::nullopt);
    index.Add("rptfonts.gif");
    EXPECT_EQ(index.Find("RPTfonts.gif"), dir / "rptfonts.gif");
    dir.Write("RPTfonts.gif", "new copy");
    index.Add("RPTfonts.gif");
    EXPECT_EQ(index.Find("RPTfonts.gif"), dir / "RPTfonts.gif");
    EXPECT_EQ(index.Find("RPTfonts.gif"), win::FindFileIgnoringCase(dir.path(), "RPTfonts.gif"));

    std::filesystem::remove(dir / "fonts.gif");
    EXPECT_EQ(index.Find("fonts.gif"), std::nullopt);
}

TEST_F(FileSearchTest, ResolvesWholePaths)
{
    EXPECT_EQ(win::ResolvePathIgnoringCase(dir / "FONTS.GIF"), dir / "fonts.gif");
    EXPECT_EQ(win::ResolvePathIgnoringCase(dir / "Icon"), dir / "Icon");
    EXPECT_EQ(win::ResolvePathIgnoringCase(dir / "Icon\\X.Gif"), dir / "Icon/x.gif");
    // Only the last part is looked up ignoring case.
    EXPECT_EQ(win::ResolvePathIgnoringCase(dir / "ICON/x.gif"), std::nullopt);
    EXPECT_EQ(win::ResolvePathIgnoringCase(""), std::nullopt);
}

} // namespace
