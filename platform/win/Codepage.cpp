#include "platform/win/Codepage.h"

#include <array>

namespace win {
namespace {

// Characters of the codes 0x80 to 0x9F; the five unassigned codes keep their own value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

void AppendUtf8(std::string& out, char32_t ch)
{
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (ch >> 18));
        out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& ch)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    std::size_t length;
    char32_t min;
    if (lead < 0x80) {
        ch = lead;
        ++pos;
        return true;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, ch = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, ch = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, ch = lead & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (pos + length > text.size())
        return false;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80)
            return false;
        ch = (ch << 6) | (byte(pos + i) & 0x3F);
    }
    if (ch < min || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF))
        return false;
    pos += length;
    return true;
}

char32_t Cp1252ToUnicode(unsigned char code)
{
    if (code >= 0x80 && code <= 0x9F)
        return kHighControls[code - 0x80];
    return code;
}

int UnicodeToCp1252(char32_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<int>(ch);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == ch)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

std::string Cp1252ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text)
        AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToCp1252(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        char32_t ch;
        if (!DecodeUtf8(text, pos, ch)) {
            out += '?';
            ++pos;
            continue;
        }
        const int code = UnicodeToCp1252(ch);
        out += code < 0 ? '?' : static_cast<char>(code);
    }
    return out;
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t pos = 0;
    char32_t ch;
    while (pos < text.size()) {
        if (!DecodeUtf8(text, pos, ch))
            return false;
    }
    return true;
}

char32_t FoldCase(char32_t ch)
{
    if ((ch >= 'A' && ch <= 'Z') || (ch >= 0xC0 && ch <= 0xDE && ch != 0xD7))
        return ch + 0x20;
    switch (ch) {
    case 0x0152: // OE ligature
    case 0x0160: // S caron
    case 0x017D: // Z caron
        return ch + 1;
    case 0x0178: // Y diaeresis
        return 0xFF;
    default:
        return ch;
    }
}

namespace {

// The character at pos, folded, and pos moved past it; a byte that is not UTF-8 stands for itself,
// apart from every character.
char32_t NextFolded(std::string_view text, std::size_t& pos)
{
    char32_t ch;
    if (!DecodeUtf8(text, pos, ch))
        ch = static_cast<unsigned char>(text[pos++]) | 0x80000000u;
    return FoldCase(ch);
}

} // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (NextFolded(a, i) != NextFolded(b, j))
            return false;
    }
    return i == a.size() && j == b.size();
}

std::u32string CaseFoldKey(std::string_view text)
{
    std::u32string key;
    for (std::size_t i = 0; i < text.size();)
        key.push_back(NextFolded(text, i));
    return key;
}

} // namespace win
