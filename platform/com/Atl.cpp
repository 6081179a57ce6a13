// The framework's out-of-line parts: interface-map lookup, CComBSTR and CComVariant helpers.

#include "platform/com/Atl.h"

HRESULT CComObjectRootBase::InternalQueryInterface(CComObjectRootBase* root,
                                                   const _ATL_INTMAP_ENTRY* entries, REFIID riid,
                                                   void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!entries || !entries[0].piid)
        return E_NOINTERFACE;
    const _ATL_INTMAP_ENTRY* found = nullptr;
    if (riid == IID_IUnknown) {
        found = entries;
    } else {
        for (const _ATL_INTMAP_ENTRY* e = entries; e->piid; ++e) {
            if (*e->piid == riid) {
                found = e;
                break;
            }
        }
    }
    if (!found)
        return E_NOINTERFACE;
    auto* unknown = static_cast<IUnknown*>(found->cast(root));
    unknown->AddRef();
    *ppv = unknown;
    return S_OK;
}

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

CComVariant::CComVariant(const char* text)
{
    VariantInit(this);
    vt = VT_BSTR;
    bstrVal = CComBSTR(text ? text : "").Detach();
    CheckAlloc();
}

CComVariant::CComVariant(IDispatch* value) noexcept
{
    VariantInit(this);
    vt = VT_DISPATCH;
    pdispVal = value;
    if (value)
        value->AddRef();
}

CComVariant::CComVariant(IUnknown* value) noexcept
{
    VariantInit(this);
    vt = VT_UNKNOWN;
    punkVal = value;
    if (value)
        value->AddRef();
}

bool CComVariant::operator==(const VARIANT& other) const noexcept
{
    if (vt != other.vt)
        return false;
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
        return true;
    case VT_BSTR:
        return com::bstrView(bstrVal) == com::bstrView(other.bstrVal);
    case VT_I1:
    case VT_UI1:
        return bVal == other.bVal;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return iVal == other.iVal;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
        return lVal == other.lVal;
    case VT_R4:
        return fltVal == other.fltVal;
    case VT_R8:
    case VT_DATE:
        return dblVal == other.dblVal;
    default:
        return llVal == other.llVal; // I8, UI8, CY, and pointers by identity
    }
}
