#include "platform/com/ComBstr.h"

#include <cstring>

CComBSTR::CComBSTR(const char* text)
{
    if (text) {
        std::u16string wide = com::utf16FromUtf8(text);
        m_str = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
}

HRESULT CComBSTR::Append(const OLECHAR* text, int length)
{
    if (length < 0)
        return E_INVALIDARG;
    if (!text && length > 0)
        return E_INVALIDARG;
    UINT have = Length();
    BSTR joined = SysAllocStringLen(nullptr, have + static_cast<UINT>(length));
    if (!joined)
        return E_OUTOFMEMORY;
    if (have)
        std::memcpy(joined, m_str, have * sizeof(OLECHAR));
    if (length)
        std::memcpy(joined + have, text, static_cast<std::size_t>(length) * sizeof(OLECHAR));
    SysFreeString(m_str);
    m_str = joined;
    return S_OK;
}

namespace {
// Latin-1 letters: A-Z, À-Þ except ×, and their lower-case forms.
bool isUpperLatin(OLECHAR c)
{
    return (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}
bool isLowerLatin(OLECHAR c)
{
    return (c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7);
}
} // namespace

HRESULT CComBSTR::ToUpper()
{
    for (UINT i = 0, n = Length(); i < n; ++i)
        if (isLowerLatin(m_str[i]))
            m_str[i] = static_cast<OLECHAR>(m_str[i] - 0x20);
    return S_OK;
}

HRESULT CComBSTR::ToLower()
{
    for (UINT i = 0, n = Length(); i < n; ++i)
        if (isUpperLatin(m_str[i]))
            m_str[i] = static_cast<OLECHAR>(m_str[i] + 0x20);
    return S_OK;
}

int CComBSTR::compare(BSTR a, BSTR b) noexcept
{
    if (!a || !b)
        return a ? 1 : b ? -1 : 0;
    for (std::size_t i = 0;; ++i) {
        auto ca = static_cast<std::uint16_t>(a[i]);
        auto cb = static_cast<std::uint16_t>(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}
