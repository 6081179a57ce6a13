#include "vardex/diagnostics/corbawstring.h"

#include "vardex/support/satlconv.h"

#include <vector>

std::u16string Utf16FromCorba(const CORBA::WChar* text)
{
    std::u16string out;
    if (!text)
        return out;
    for (; *text; ++text) {
        uint32_t c = uint32_t(*text);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += char16_t(0xD800 + (c >> 10));
            out += char16_t(0xDC00 + (c & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

CORBA::WChar* CorbaWStringDup(const char16_t* text)
{
    std::vector<CORBA::WChar> wide;
    for (; text && *text; ++text) {
        uint32_t c = *text;
        if (c >= 0xD800 && c <= 0xDBFF && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(text[1]) - 0xDC00);
            ++text;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        wide.push_back(CORBA::WChar(c));
    }
    wide.push_back(0);
    return CORBA::wstring_dup(wide.data());
}

SString AnsiFromCorba(const CORBA::WChar* text)
{
    return SW2A(Utf16FromCorba(text).c_str());
}
