#include "platform/com/Bstr.h"
#include "platform/registry/Ascii.h"
#include "platform/wintypes/Types.h"

#include <cstdio>
#include <cstring>
#include <tuple>

bool operator<(const GUID& a, const GUID& b)
{
    return std::tie(a.Data1, a.Data2, a.Data3) < std::tie(b.Data1, b.Data2, b.Data3) ||
           (std::tie(a.Data1, a.Data2, a.Data3) == std::tie(b.Data1, b.Data2, b.Data3) &&
            std::memcmp(a.Data4, b.Data4, sizeof a.Data4) < 0);
}

std::string com::guidToString(REFGUID g)
{
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                  g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

namespace {
// Reads `digits` hex digits at text[pos].
bool readHex(const std::string& text, std::size_t pos, int digits, std::uint64_t* value)
{
    *value = 0;
    for (int i = 0; i < digits; ++i) {
        int v = ascii::hexDigit(text[pos + i]);
        if (v < 0)
            return false;
        *value = *value * 16 + static_cast<unsigned>(v);
    }
    return true;
}
} // namespace

bool com::guidFromString(const std::string& text, GUID* guid)
{
    if (text.size() != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' ||
        text[14] != '-' || text[19] != '-' || text[24] != '-')
        return false;
    std::uint64_t v;
    GUID g{};
    if (!readHex(text, 1, 8, &v))
        return false;
    g.Data1 = static_cast<std::uint32_t>(v);
    if (!readHex(text, 10, 4, &v))
        return false;
    g.Data2 = static_cast<std::uint16_t>(v);
    if (!readHex(text, 15, 4, &v))
        return false;
    g.Data3 = static_cast<std::uint16_t>(v);
    static const std::size_t bytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!readHex(text, bytePos[i], 2, &v))
            return false;
        g.Data4[i] = static_cast<std::uint8_t>(v);
    }
    *guid = g;
    return true;
}

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax)
{
    if (!buffer || cchMax < 39)
        return 0;
    std::string text = com::guidToString(guid);
    for (std::size_t i = 0; i < text.size(); ++i)
        buffer[i] = static_cast<OLECHAR>(text[i]);
    buffer[38] = 0;
    return 39;
}

static HRESULT allocatedText(REFGUID guid, LPOLESTR* text)
{
    if (!text)
        return E_INVALIDARG;
    *text = static_cast<LPOLESTR>(CoTaskMemAlloc(39 * sizeof(OLECHAR)));
    if (!*text)
        return E_OUTOFMEMORY;
    StringFromGUID2(guid, *text, 39);
    return S_OK;
}

HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text)
{
    return allocatedText(clsid, text);
}

HRESULT StringFromIID(REFIID iid, LPOLESTR* text)
{
    return allocatedText(iid, text);
}

static bool parseOleText(LPCOLESTR text, GUID* guid)
{
    if (!text)
        return false;
    std::string narrow;
    for (LPCOLESTR p = text; *p; ++p) {
        if (*p > 0x7F || narrow.size() > 38)
            return false;
        narrow += static_cast<char>(*p);
    }
    return com::guidFromString(narrow, guid);
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid)
{
    if (!clsid)
        return E_INVALIDARG;
    if (!parseOleText(text, clsid)) {
        *clsid = CLSID_NULL;
        return CO_E_CLASSSTRING;
    }
    return NOERROR;
}

HRESULT IIDFromString(LPCOLESTR text, IID* iid)
{
    if (!iid)
        return E_INVALIDARG;
    if (!parseOleText(text, iid)) {
        *iid = IID_NULL;
        return E_INVALIDARG;
    }
    return S_OK;
}
