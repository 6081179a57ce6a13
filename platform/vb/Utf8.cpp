#include "platform/vb/Utf8.h"

namespace vb::utf8 {

char32_t Next(std::string_view text, size_t& pos)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    int extra = 0;
    char32_t ch = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        ch = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        ch = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        ch = lead & 0x07;
    }
    if (extra == 0 || pos + extra >= text.size()) {
        ++pos;
        return lead;
    }
    for (int i = 1; i <= extra; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return lead;
        }
        ch = (ch << 6) | (byte(pos + i) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    if ((extra == 2 && ch < 0x800) || (extra == 3 && (ch < 0x10000 || ch > 0x10FFFF)) ||
        (ch >= 0xD800 && ch <= 0xDFFF)) {
        ++pos;
        return lead;
    }
    pos += extra + 1;
    return ch;
}

void Append(std::string& text, char32_t ch)
{
    if (ch < 0x80) {
        text += static_cast<char>(ch);
    } else if (ch < 0x800) {
        text += static_cast<char>(0xC0 | (ch >> 6));
        text += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        text += static_cast<char>(0xE0 | (ch >> 12));
        text += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (ch >> 18));
        text += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

size_t Offset(std::string_view text, long index)
{
    size_t pos = 0;
    for (long i = 0; i < index && pos < text.size(); ++i) {
        Next(text, pos);
    }
    return pos;
}

long Length(std::string_view text)
{
    long count = 0;
    for (size_t pos = 0; pos < text.size(); ++count) {
        Next(text, pos);
    }
    return count;
}

} // namespace vb::utf8
