#pragma once
// CComVariant: a VARIANT that clears itself.

#include "platform/com/ComBstr.h"
#include "platform/com/Unknown.h"

class CComVariant : public VARIANT
{
public:
    CComVariant() noexcept { VariantInit(this); }
    CComVariant(const VARIANT& src)
    {
        VariantInit(this);
        InternalCopy(&src);
    }
    CComVariant(const CComVariant& src) : CComVariant(static_cast<const VARIANT&>(src)) {}
    CComVariant(CComVariant&& src) noexcept
    {
        *static_cast<VARIANT*>(this) = src;
        VariantInit(&src);
    }
    // A null text gives a null BSTR.
    CComVariant(LPCOLESTR text)
    {
        VariantInit(this);
        vt = VT_BSTR;
        bstrVal = SysAllocString(text);
        if (text)
            CheckAlloc();
    }
    CComVariant(const char* text);
    CComVariant(const CComBSTR& text)
    {
        VariantInit(this);
        vt = VT_BSTR;
        bstrVal = text.Copy();
        if (text.m_str)
            CheckAlloc();
    }
    CComVariant(bool value) noexcept
    {
        VariantInit(this);
        vt = VT_BOOL;
        boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    CComVariant(BYTE value) noexcept
    {
        VariantInit(this);
        vt = VT_UI1;
        bVal = value;
    }
    CComVariant(SHORT value) noexcept
    {
        VariantInit(this);
        vt = VT_I2;
        iVal = value;
    }
    // VT_I4, or VT_ERROR for an error code.
    CComVariant(LONG value, VARTYPE type = VT_I4) noexcept
    {
        VariantInit(this);
        vt = type == VT_ERROR ? VT_ERROR : VT_I4;
        lVal = value;
    }
    CComVariant(ULONG value) noexcept
    {
        VariantInit(this);
        vt = VT_UI4;
        ulVal = value;
    }
    CComVariant(LONGLONG value) noexcept
    {
        VariantInit(this);
        vt = VT_I8;
        llVal = value;
    }
    CComVariant(FLOAT value) noexcept
    {
        VariantInit(this);
        vt = VT_R4;
        fltVal = value;
    }
    // VT_R8, or VT_DATE for a date.
    CComVariant(DOUBLE value, VARTYPE type = VT_R8) noexcept
    {
        VariantInit(this);
        vt = type == VT_DATE ? VT_DATE : VT_R8;
        dblVal = value;
    }
    CComVariant(CY value) noexcept
    {
        VariantInit(this);
        vt = VT_CY;
        cyVal = value;
    }
    CComVariant(IDispatch* value) noexcept;
    CComVariant(IUnknown* value) noexcept;
    ~CComVariant() { Clear(); }

    CComVariant& operator=(const CComVariant& src)
    {
        if (this != &src)
            InternalCopy(&src);
        return *this;
    }
    CComVariant& operator=(const VARIANT& src)
    {
        if (static_cast<VARIANT*>(this) != &src)
            InternalCopy(&src);
        return *this;
    }
    CComVariant& operator=(CComVariant&& src) noexcept
    {
        if (this != &src) {
            Clear();
            *static_cast<VARIANT*>(this) = src;
            VariantInit(&src);
        }
        return *this;
    }

    HRESULT Clear() { return VariantClear(this); }
    HRESULT Copy(const VARIANT* src) { return VariantCopy(this, src); }
    HRESULT Attach(VARIANT* src)
    {
        HRESULT hr = Clear();
        if (FAILED(hr))
            return hr;
        *static_cast<VARIANT*>(this) = *src;
        src->vt = VT_EMPTY;
        return S_OK;
    }
    HRESULT Detach(VARIANT* dest)
    {
        HRESULT hr = VariantClear(dest);
        if (FAILED(hr))
            return hr;
        *dest = *this;
        vt = VT_EMPTY;
        return S_OK;
    }
    // Converts in place (or from src into this).
    HRESULT ChangeType(VARTYPE type, const VARIANT* src = nullptr)
    {
        return VariantChangeType(this, src ? src : this, 0, type);
    }
    bool operator==(const VARIANT& other) const noexcept;

private:
    void InternalCopy(const VARIANT* src)
    {
        HRESULT hr = Copy(src);
        if (FAILED(hr)) {
            vt = VT_ERROR;
            scode = hr;
        }
    }
    void CheckAlloc()
    {
        if (!bstrVal) {
            vt = VT_ERROR;
            scode = E_OUTOFMEMORY;
        }
    }
};
