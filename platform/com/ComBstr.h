#pragma once
// CComBSTR: an owned BSTR.

#include "platform/com/Bstr.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class COM_VISIBLE CComBSTR
{
public:
    CComBSTR() noexcept = default;
    CComBSTR(LPCOLESTR text) : m_str(text ? SysAllocString(text) : nullptr) {}
    CComBSTR(int length, LPCOLESTR text) : m_str(SysAllocStringLen(text, static_cast<UINT>(length)))
    {
    }
    // From UTF-8 text.
    CComBSTR(const char* text);
    CComBSTR(std::u16string_view text)
        : m_str(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
    }
    CComBSTR(const CComBSTR& other) : m_str(other.Copy()) {}
    CComBSTR(CComBSTR&& other) noexcept : m_str(other.m_str) { other.m_str = nullptr; }
    ~CComBSTR() { SysFreeString(m_str); }

    CComBSTR& operator=(const CComBSTR& other)
    {
        if (this != std::addressof(other)) {
            BSTR copy = other.Copy();
            SysFreeString(m_str);
            m_str = copy;
        }
        return *this;
    }
    CComBSTR& operator=(CComBSTR&& other) noexcept
    {
        if (this != std::addressof(other)) {
            SysFreeString(m_str);
            m_str = other.m_str;
            other.m_str = nullptr;
        }
        return *this;
    }
    CComBSTR& operator=(LPCOLESTR text)
    {
        BSTR copy = text ? SysAllocString(text) : nullptr;
        SysFreeString(m_str);
        m_str = copy;
        return *this;
    }

    operator BSTR() const noexcept { return m_str; }
    // For out arguments: the string must be empty.
    BSTR* operator&() noexcept { return &m_str; }
    bool operator!() const noexcept { return m_str == nullptr; }

    unsigned int Length() const noexcept { return SysStringLen(m_str); }
    unsigned int ByteLength() const noexcept { return SysStringByteLen(m_str); }
    BSTR Copy() const { return com::bstrCopy(m_str); }
    HRESULT CopyTo(BSTR* out) const
    {
        if (!out)
            return E_POINTER;
        *out = Copy();
        return (m_str && !*out) ? E_OUTOFMEMORY : S_OK;
    }
    void Attach(BSTR other) noexcept
    {
        if (other != m_str) {
            SysFreeString(m_str);
            m_str = other;
        }
    }
    BSTR Detach() noexcept
    {
        BSTR old = m_str;
        m_str = nullptr;
        return old;
    }
    void Empty() noexcept
    {
        SysFreeString(m_str);
        m_str = nullptr;
    }
    HRESULT Append(const OLECHAR* text, int length);
    HRESULT Append(LPCOLESTR text) { return Append(text, static_cast<int>(com::olestrlen(text))); }
    HRESULT Append(const CComBSTR& other) { return Append(other.m_str, other.Length()); }
    CComBSTR& operator+=(const CComBSTR& other)
    {
        Append(other);
        return *this;
    }
    // Upper- and lower-casing of the characters of the Basic Latin and Latin-1 ranges.
    HRESULT ToUpper();
    HRESULT ToLower();
    std::string toUtf8() const { return com::utf8FromUtf16(com::bstrView(m_str)); }

    // Comparison as the platform's wide-string compare: 16-bit characters as unsigned values,
    // up to the first zero; a null string sorts before every other and equals only a null one.
    static int compare(BSTR a, BSTR b) noexcept;
    bool operator==(const CComBSTR& other) const noexcept
    {
        return compare(m_str, other.m_str) == 0;
    }
    bool operator<(const CComBSTR& other) const noexcept { return compare(m_str, other.m_str) < 0; }

    BSTR m_str = nullptr;
};
