#include "slidora/FourCC.h"
#include "tests/platform/mci/GeneratedMedia.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

class FourCC : public ::testing::Test
{
protected:
    void SetUp() override { folder_ = testmedia::TempFolder("fourcc"); }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    QString Write(const std::string& bytes)
    {
        const auto path = folder_ / "fourcc.txt";
        std::ofstream(path, std::ios::binary) << bytes;
        return QString::fromStdString(path.string());
    }

    std::filesystem::path folder_;
};

TEST_F(FourCC, ReadsWindowsTextAfterTheHeading)
{
    // windows-1252: 0xE9 is "é"; CR LF line ends.
    const QString path = Write("Codes\r\nversion 1\r\n\r\n"
                               "DIVX\r\nVid\xE9o MPEG-4\r\nProjet libre\r\n"
                               "MP3\r\nSon MPEG couche 3\r\nISO\r\n"
                               "DIVX\r\nSecond\r\nIgnored\r\n");
    const auto table = slidora::ReadFourCCTable(path);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].code, "DIVX");
    EXPECT_EQ(table[0].fullName, QString::fromUtf8("Vidéo MPEG-4"));
    EXPECT_EQ(table[0].creator, "Projet libre");
    EXPECT_EQ(table[1].code, "MP3 ") << "short codes are padded with blanks";

    EXPECT_EQ(slidora::FindFourCC(table, "DIVX"), &table[0]) << "the first match wins";
    EXPECT_EQ(slidora::FindFourCC(table, "MP3 "), &table[1]);
    EXPECT_EQ(slidora::FindFourCC(table, "MP3"), nullptr);
    EXPECT_EQ(slidora::FindFourCC(table, "divx"), nullptr) << "codes keep their case";
    EXPECT_EQ(slidora::FindFourCC(table, "Char"), nullptr);
}

TEST_F(FourCC, LastRecordCutShortKeepsItsCode)
{
    const auto table = slidora::ReadFourCCTable(Write("a\nb\nc\nXVID\nMPEG-4 ASP\n"));
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].code, "XVID");
    EXPECT_EQ(table[0].fullName, "MPEG-4 ASP");
    EXPECT_EQ(table[0].creator, "");
}

TEST_F(FourCC, MissingFileGivesAnEmptyTable)
{
    EXPECT_TRUE(
        slidora::ReadFourCCTable(QString::fromStdString((folder_ / "none.txt").string())).empty());
    EXPECT_TRUE(slidora::ReadFourCCTable(Write("only\r\na heading\r\n")).empty());
}

} // namespace
