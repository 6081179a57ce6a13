#include "platform/vb/Utf8.h"

#include "platform/win/Codepage.h"

namespace vb::utf8 {

char32_t Next(std::string_view text, size_t& pos)
{
    char32_t ch;
    if (win::DecodeUtf8(text, pos, ch)) {
        return ch;
    }
    return static_cast<unsigned char>(text[pos++]);
}

void Append(std::string& text, char32_t ch)
{
    win::AppendUtf8(text, ch);
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
