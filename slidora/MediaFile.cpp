#include "slidora/MediaFile.h"

#include "platform/vb/Strings.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <vector>

namespace slidora {

namespace {

// The text after the last ".", or the whole path when it has none.
std::string_view Extension(std::string_view path)
{
    const auto dot = path.rfind('.');
    return dot == std::string_view::npos ? path : path.substr(dot + 1);
}

// The first bytes of a file; reads past its end give zero bytes.
class FileBytes
{
public:
    FileBytes(const std::string& path, std::size_t count)
    {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        const std::streamoff size = in ? std::streamoff(in.tellg()) : 0;
        count = std::min(count, std::size_t(std::max<std::streamoff>(size, 0)));
        in.seekg(0);
        bytes_.resize(count);
        in.read(reinterpret_cast<char*>(bytes_.data()), std::streamsize(count));
        bytes_.resize(std::size_t(std::max<std::streamsize>(in.gcount(), 0)));
    }

    std::size_t Size() const { return bytes_.size(); }
    std::uint8_t At(std::size_t offset) const
    {
        return offset < bytes_.size() ? bytes_[offset] : 0;
    }
    std::int16_t Int16(std::size_t offset) const
    {
        return std::int16_t(std::uint16_t(At(offset) | (At(offset + 1) << 8)));
    }
    std::uint32_t UInt32(std::size_t offset) const
    {
        return std::uint32_t(At(offset)) | std::uint32_t(At(offset + 1)) << 8 |
               std::uint32_t(At(offset + 2)) << 16 | std::uint32_t(At(offset + 3)) << 24;
    }
    std::string Text(std::size_t offset, std::size_t count) const
    {
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
            text += char(At(offset + i));
        return text;
    }
    bool Matches(std::size_t offset, std::initializer_list<std::uint8_t> expected) const
    {
        std::size_t i = offset;
        for (std::uint8_t b : expected)
            if (At(i++) != b)
                return false;
        return true;
    }

private:
    std::vector<std::uint8_t> bytes_;
};

// The MPEG sequence header's start code is looked for in this many first bytes.
constexpr std::size_t kMpegScan = 30000;

void ReadMpeg(const std::string& path, std::int16_t& width, std::int16_t& height)
{
    const FileBytes bytes(path, kMpegScan + 6);
    std::string digits = "111111111111111111111111";
    for (std::size_t k = 0; k < kMpegScan; ++k) {
        if (bytes.Matches(k, {0x00, 0x00, 0x01, 0xB3})) {
            digits.clear();
            for (std::size_t i = 4; i <= 6; ++i)
                digits += NumberToBits(bytes.At(k + i)).substr(24);
            break;
        }
    }
    width = std::int16_t(BitsToNumber(std::string_view(digits).substr(0, 12)));
    height = std::int16_t(BitsToNumber(std::string_view(digits).substr(12, 12)));
}

bool IsAsfCandidate(const FileBytes& bytes, std::size_t c)
{
    const std::uint8_t a = bytes.At(c), b = bytes.At(c + 1), d = bytes.At(c + 2);
    return (a == 'M' || a == 'W') && (b == 'P' || b == 'M') && (d == '4' || d == 'V');
}

// Scans the ASF header object for the bitmap header of a video stream: a
// compression code of the MP4 / WMV family whose picture has a landscape ratio.
void ReadAsf(const std::string& path, std::string& type, std::int16_t& width, std::int16_t& height)
{
    constexpr std::size_t kFirst = 192;
    const std::uint32_t limit = FileBytes(path, 20).UInt32(16);
    const std::size_t last = std::max<std::size_t>(limit, kFirst + 1) - 1;
    // Past the end of the file every byte is 0 and no candidate can start.
    const FileBytes bytes(path, last + 5);
    const std::size_t end = std::min(last, bytes.Size());
    for (std::size_t c = kFirst; c <= end; ++c) {
        if (!IsAsfCandidate(bytes, c))
            continue;
        const std::int16_t w = bytes.Int16(c - 12);
        const std::int16_t h = bytes.Int16(c - 8);
        // A height of 0 gives no ratio: such a candidate is no picture header.
        if (h == 0)
            continue;
        width = w;
        height = h;
        const double ratio = double(w) / double(h);
        if (ratio > 1.2 && ratio < 1.8) {
            type = bytes.Text(c, 5);
            return;
        }
    }
}

} // namespace

bool ItIsAPic(std::string_view path)
{
    static const std::array<std::string_view, 10> pictures = {"bmp", "jpe", "jpg", "jpeg", "dib",
                                                              "gif", "ico", "cur", "wmf",  "emf"};
    const std::string ext = vb::LCase(Extension(path));
    return std::find(pictures.begin(), pictures.end(), ext) != pictures.end();
}

std::string FileTypeFromHeader(const std::string& path)
{
    const FileBytes bytes(path, 12);
    if (bytes.Matches(0, {0x00, 0x00, 0x01, 0xBA}))
        return "mpg";
    if (bytes.Text(0, 4) == "RIFF") {
        const std::string form = bytes.Text(8, 4);
        if (form == "AVI ")
            return "avi";
        if (form == "WAVE")
            return "wav";
        return "dat";
    }
    if (bytes.Text(0, 4) == ".RMF")
        return "ram";
    if (bytes.Text(0, 4) == "MThd")
        return "mid";
    if (bytes.Matches(0, {0x30, 0x26, 0xB2, 0x75}))
        return "wmv";
    const std::string ext(Extension(path));
    static const std::array<std::string_view, 7> containers = {"ram",  "avi", "mpg", "mpe",
                                                               "mpeg", "asf", "wmv"};
    if (std::find(containers.begin(), containers.end(), ext) != containers.end())
        return "dat";
    return ext;
}

std::string NumberToBits(std::uint32_t n)
{
    std::string digits(32, '0');
    for (int i = 31; i >= 0; --i, n >>= 1)
        digits[std::size_t(i)] = (n & 1) ? '1' : '0';
    return digits;
}

std::uint32_t BitsToNumber(std::string_view digits)
{
    std::uint32_t n = 0;
    for (char d : digits)
        n = (n << 1) | (d == '1' ? 1u : 0u);
    return n;
}

void ReadHeaderInfo(const std::string& path, std::string& type, std::int16_t& width,
                    std::int16_t& height)
{
    type.clear();
    const std::string kind = FileTypeFromHeader(path);
    if (kind == "avi") {
        const FileBytes bytes(path, 192);
        width = bytes.Int16(64);
        height = bytes.Int16(68);
        type = bytes.Text(188, 4) + " ";
    } else if (kind == "mpg" || kind == "mpe" || kind == "mpeg") {
        ReadMpeg(path, width, height);
        type = "MPEG ";
    } else if (kind == "asf" || kind == "wmv") {
        ReadAsf(path, type, width, height);
    } else {
        static const std::array<std::string_view, 10> audio = {"mp3", "mp2", "mp1", "wav", "mid",
                                                               "xmi", "rmi", "au",  "voc", "wma"};
        if (kind == "mov")
            type = "QTMOV";
        else if (std::find(audio.begin(), audio.end(), kind) != audio.end())
            type = "AUDIO";
        else
            type = "?    ";
        width = 1;
        height = 1;
    }
}

std::string ShownType(const std::string& type)
{
    return type.substr(0, type.find('\0'));
}

} // namespace slidora
