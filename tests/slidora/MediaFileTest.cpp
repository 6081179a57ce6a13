#include "slidora/MediaFile.h"
#include "tests/platform/mci/GeneratedMedia.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using namespace std::string_literals;
using slidora::FileTypeFromHeader;
using slidora::ReadHeaderInfo;

class MediaFile : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { folder_ = new auto(testmedia::TempFolder("mediafile")); }
    static void TearDownTestSuite()
    {
        std::filesystem::remove_all(*folder_);
        delete folder_;
    }

    static std::string Write(const std::string& name, const std::string& bytes)
    {
        const auto path = *folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    struct Info
    {
        std::string type;
        int width;
        int height;
    };
    static Info Read(const std::string& path, std::int16_t width = 0, std::int16_t height = 0)
    {
        std::string type = "stale";
        ReadHeaderInfo(path, type, width, height);
        return {type, width, height};
    }

    static std::filesystem::path* folder_;
};

std::filesystem::path* MediaFile::folder_ = nullptr;

void Put16(std::string& bytes, std::size_t offset, int value)
{
    bytes[offset] = char(value & 0xff);
    bytes[offset + 1] = char((value >> 8) & 0xff);
}

// An ASF header object of the given size with bitmap headers whose compression
// code stands at each offset given, with its width and height.
struct Candidate
{
    std::size_t at;
    const char* code;
    int width;
    int height;
};
std::string Asf(std::uint32_t headerSize, std::initializer_list<Candidate> candidates)
{
    std::string bytes(std::max<std::size_t>(headerSize, 600), '\0');
    bytes.replace(0, 4, "\x30\x26\xB2\x75");
    bytes[16] = char(headerSize & 0xff);
    bytes[17] = char((headerSize >> 8) & 0xff);
    for (const Candidate& c : candidates) {
        bytes.replace(c.at, 4, c.code);
        Put16(bytes, c.at - 12, c.width);
        Put16(bytes, c.at - 8, c.height);
    }
    return bytes;
}

TEST_F(MediaFile, KindFromFirstBytesThenExtension)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        const char* kind;
    };
    const Case cases[] = {
        {"a.dat", "\0\0\x01\xBArest"s, "mpg"},
        {"b.x", "RIFF\x10\0\0\0AVI LIST"s, "avi"},
        {"c.x", "RIFF\x10\0\0\0WAVEfmt "s, "wav"},
        {"d.avi", "RIFF\x10\0\0\0CDXAfmt "s, "dat"},
        {"e.x", ".RMF\0\0\0\x12"s, "ram"},
        {"f.x", "MThd\0\0\0\x06"s, "mid"},
        {"g.asf", "\x30\x26\xB2\x75\x8E\x66\xCF\x11", "wmv"},
        {"h.mpeg", "garbage!", "dat"},
        {"i.wmv", "garbage!", "dat"},
        {"j.MOV", "garbage!", "MOV"},
        {"k.mp3", "ID3\x03\0\0\0\0"s, "mp3"},
        {"short.mpg", "\0\0"s, "dat"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileTypeFromHeader(Write(c.name, c.bytes)), c.kind) << c.name;
    EXPECT_EQ(FileTypeFromHeader((*folder_ / "missing.avi").string()), "dat");
}

TEST_F(MediaFile, PicturesByExtension)
{
    for (const char* path : {"a.bmp", "/x/y.JPG", "b.jpeg", "c.Gif", "d.emf", "e.cur"})
        EXPECT_TRUE(slidora::ItIsAPic(path)) << path;
    for (const char* path : {"a.png", "b.wmv", "bmp.x/c"})
        EXPECT_FALSE(slidora::ItIsAPic(path)) << path;
    EXPECT_TRUE(slidora::ItIsAPic("bmp")) << "without a dot the whole path is the extension";
}

TEST_F(MediaFile, BitsRoundTrip)
{
    EXPECT_EQ(slidora::NumberToBits(0), std::string(32, '0'));
    EXPECT_EQ(slidora::NumberToBits(0xB3).substr(24), "10110011");
    EXPECT_EQ(slidora::BitsToNumber("000101000000"), 320u);
    EXPECT_EQ(slidora::BitsToNumber(slidora::NumberToBits(0x80000001u)), 0x80000001u);
}

TEST_F(MediaFile, RiffOtherThanAviIsUnknown)
{
    const Info info = Read(Write("cd.avi", "RIFF\x10\0\0\0CDXAfmt "s), 320, 240);
    EXPECT_EQ(info.type, "?    ");
    EXPECT_EQ(info.width, 1);
    EXPECT_EQ(info.height, 1);
}

TEST_F(MediaFile, KindsWithoutHeadersGetTheirWord)
{
    EXPECT_EQ(Read(Write("song.mp3", "ID3\x03")).type, "AUDIO");
    EXPECT_EQ(Read(Write("clip.mov", "\0\0\0\x14"s
                                     "ftyp"))
                  .type,
              "QTMOV");
    EXPECT_EQ(Read(Write("clip.MOV", "\0\0\0\x14"s
                                     "ftyp"))
                  .type,
              "?    ");
}

TEST_F(MediaFile, MpegSequenceHeaderSize)
{
    std::string bytes(2000, '\0');
    bytes.replace(0, 4, "\0\0\x01\xBA"s);
    bytes.replace(1500, 7, "\0\0\x01\xB3\x14\x00\xF0"s);
    Info info = Read(Write("seq.mpg", bytes));
    EXPECT_EQ(info.type, "MPEG ");
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 240);

    // Beyond the first 30 000 bytes the header is not looked for.
    std::string late(31000, '\0');
    late.replace(0, 4, "\0\0\x01\xBA"s);
    late.replace(30000, 7, "\0\0\x01\xB3\x14\x00\xF0"s);
    info = Read(Write("late.mpg", late));
    EXPECT_EQ(info.width, 4095);
    EXPECT_EQ(info.height, 4095);
}

TEST_F(MediaFile, AsfAcceptsTheFirstLandscapeCandidate)
{
    Info info = Read(Write("one.wmv", Asf(500, {{300, "WMV3", 0, 0}, {400, "WMV3", 640, 480}})));
    EXPECT_EQ(info.type, "WMV3\0"s);
    EXPECT_EQ(slidora::ShownType(info.type), "WMV3");
    EXPECT_EQ(info.width, 640);
    EXPECT_EQ(info.height, 480);

    // Mixtures of the family's letters qualify too; a later candidate is not looked at.
    info = Read(Write("mix.wmv", Asf(500, {{250, "WP4x", 352, 240}, {400, "WMV3", 640, 480}})));
    EXPECT_EQ(info.type, "WP4x\0"s);
    EXPECT_EQ(info.width, 352);
}

TEST_F(MediaFile, AsfRatioBoundsAreExcluded)
{
    // 360x300 is 1.2 and 540x300 is 1.8: neither is accepted, the last one's size stays.
    const Info info =
        Read(Write("bounds.wmv", Asf(500, {{250, "WMV2", 360, 300}, {350, "MP43", 540, 300}})));
    EXPECT_EQ(info.type, "");
    EXPECT_EQ(info.width, 540);
    EXPECT_EQ(info.height, 300);
}

TEST_F(MediaFile, AsfScanStopsAtTheHeaderObjectsEnd)
{
    // The candidate lies past the header object: the previous size is kept.
    const Info info = Read(Write("limit.wmv", Asf(300, {{400, "WMV3", 640, 480}})), 176, 144);
    EXPECT_EQ(info.type, "");
    EXPECT_EQ(info.width, 176);
    EXPECT_EQ(info.height, 144);
}

TEST_F(MediaFile, TruncatedAviGivesZeroSizeAndEmptyType)
{
    const Info info = Read(Write("cut.avi", "RIFF\x10\0\0\0AVI LIST"s), 320, 240);
    EXPECT_EQ(slidora::ShownType(info.type), "");
    EXPECT_EQ(info.width, 0);
    EXPECT_EQ(info.height, 0);
}

// Files made by ffmpeg: the headers of real muxers.
TEST_F(MediaFile, GeneratedFiles)
{
    const std::string source = "-f lavfi -i testsrc=size=320x240:rate=25:duration=0.4 ";
    const auto divx = *folder_ / "divx.avi";
    const auto raw = *folder_ / "raw.avi";
    const auto mpeg = *folder_ / "clip.mpg";
    const auto wmv = *folder_ / "zad.wmv";
    testmedia::Ffmpeg(source + "-c:v mpeg4 -vtag DIVX", divx);
    testmedia::Ffmpeg(source + "-c:v rawvideo -pix_fmt bgr24", raw);
    testmedia::Ffmpeg(source + "-c:v mpeg1video", mpeg);
    testmedia::MakeWmv(wmv, 0.4);

    struct Case
    {
        std::filesystem::path path;
        const char* kind;
        const char* shownType;
    };
    const Case cases[] = {
        {divx, "avi", "DIVX "},
        {raw, "avi", ""},
        {mpeg, "mpg", "MPEG "},
        {wmv, "wmv", "WMV2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileTypeFromHeader(c.path.string()), c.kind) << c.path;
        const Info info = Read(c.path.string());
        EXPECT_EQ(slidora::ShownType(info.type), c.shownType) << c.path;
        EXPECT_EQ(info.width, 320) << c.path;
        EXPECT_EQ(info.height, 240) << c.path;
    }
}

} // namespace
