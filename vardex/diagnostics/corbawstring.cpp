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
        if (c <= 0xFFFF) {
            out += char16_t(c);
            continue;
        }
        if (c > 0x10FFFF) {
            out += char16_t(0xFFFD);
            continue;
        }
        c -= 0x10000;
        out += char16_t(0xD800 + (c >> 10));
        out += char16_t(0xDC00 + (c & 0x3FF));
    }
    return out;
}

CORBA::WChar* CorbaWStringDup(const char16_t* text)
{
    std::vector<CORBA::WChar> wide;
    for (; text && *text; ++text)
        wide.push_back(CORBA::WChar(*text));
    wide.push_back(0);
    return CORBA::wstring_dup(wide.data());
}

SString AnsiFromCorba(const CORBA::WChar* text)
{
    return SW2A(Utf16FromCorba(text).c_str());
}
