#include "platform/com/Bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>

// Layout of one allocation: 32-bit byte length, the characters, a zero character (two zero
// bytes, so that a byte-length string with an odd length is terminated too).
namespace {
constexpr std::size_t prefix = sizeof(std::uint32_t);

BSTR allocate(const void* data, UINT bytes)
{
    if (bytes > std::numeric_limits<std::uint32_t>::max() - prefix - 4)
        return nullptr;
    auto* block = static_cast<char*>(std::malloc(prefix + bytes + 3));
    if (!block)
        return nullptr;
    std::uint32_t length = bytes;
    std::memcpy(block, &length, prefix);
    if (data)
        std::memcpy(block + prefix, data, bytes);
    else
        std::memset(block + prefix, 0, bytes);
    std::memset(block + prefix + bytes, 0, 3);
    return reinterpret_cast<BSTR>(block + prefix);
}
} // namespace

BSTR com::bstrCopy(BSTR bstr)
{
    return bstr ? SysAllocStringByteLen(reinterpret_cast<const char*>(bstr), SysStringByteLen(bstr))
                : nullptr;
}

std::size_t com::olestrlen(LPCOLESTR text)
{
    std::size_t n = 0;
    if (text)
        while (text[n])
            ++n;
    return n;
}

BSTR SysAllocString(LPCOLESTR text)
{
    if (!text)
        return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(com::olestrlen(text)));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT len)
{
    if (len > std::numeric_limits<UINT>::max() / 2 - 8)
        return nullptr;
    return allocate(text, len * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(const char* text, UINT len)
{
    return allocate(text, len);
}

void SysFreeString(BSTR bstr)
{
    if (bstr)
        std::free(reinterpret_cast<char*>(bstr) - prefix);
}

UINT SysStringByteLen(BSTR bstr)
{
    if (!bstr)
        return 0;
    std::uint32_t length;
    std::memcpy(&length, reinterpret_cast<const char*>(bstr) - prefix, prefix);
    return length;
}

UINT SysStringLen(BSTR bstr)
{
    return SysStringByteLen(bstr) / sizeof(OLECHAR);
}

void* CoTaskMemAlloc(std::size_t size)
{
    return std::malloc(size ? size : 1);
}

void CoTaskMemFree(void* p)
{
    std::free(p);
}

char32_t com::decodeUtf8(std::string_view text, std::size_t& i)
{
    auto c = static_cast<unsigned char>(text[i]);
    std::size_t extra = c < 0x80         ? 0
                        : (c >> 5) == 6  ? 1
                        : (c >> 4) == 14 ? 2
                        : (c >> 3) == 30 ? 3
                                         : 99;
    if (extra == 0) {
        i += 1;
        return c;
    }
    if (extra == 99 || i + extra >= text.size()) {
        i += 1;
        return 0xFFFD;
    }
    char32_t value = c & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
        auto cc = static_cast<unsigned char>(text[i + k]);
        if ((cc & 0xC0) != 0x80) {
            i += 1;
            return 0xFFFD;
        }
        value = (value << 6) | (cc & 0x3F);
    }
    static const char32_t minimum[4] = {0, 0x80, 0x800, 0x10000};
    if (value < minimum[extra] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        i += 1;
        return 0xFFFD;
    }
    i += extra + 1;
    return value;
}

int com::encodeUtf8(char32_t c, char* out)
{
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

std::u16string com::utf16FromUtf8(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = decodeUtf8(text, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string com::utf8FromUtf16(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        char bytes[4];
        out.append(bytes, static_cast<std::size_t>(encodeUtf8(cp, bytes)));
    }
    return out;
}
