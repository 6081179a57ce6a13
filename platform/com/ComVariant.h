#pragma once
// CComVariant: a VARIANT that clears itself.

#include "platform/com/ComBstr.h"
#include "platform/com/Unknown.h"

#include <type_traits>

class COM_VISIBLE CComVariant : public VARIANT
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
    CComVariant(LPCOLESTR text) { HoldText(SysAllocString(text), text != nullptr); }
    CComVariant(const char* text);
    CComVariant(const CComBSTR& text) { HoldText(text.Copy(), text.m_str != nullptr); }
    CComVariant(bool value) noexcept
    {
        Hold(VT_BOOL, &VARIANT::boolVal, value ? VARIANT_TRUE : VARIANT_FALSE);
    }
    CComVariant(BYTE value) noexcept { Hold(VT_UI1, &VARIANT::bVal, value); }
    CComVariant(SHORT value) noexcept { Hold(VT_I2, &VARIANT::iVal, value); }
    // VT_I4, or VT_ERROR for an error code.
    CComVariant(LONG value, VARTYPE type = VT_I4) noexcept
    {
        Hold(type == VT_ERROR ? VT_ERROR : VT_I4, &VARIANT::lVal, value);
    }
    CComVariant(ULONG value) noexcept { Hold(VT_UI4, &VARIANT::ulVal, value); }
    CComVariant(LONGLONG value) noexcept { Hold(VT_I8, &VARIANT::llVal, value); }
    CComVariant(FLOAT value) noexcept { Hold(VT_R4, &VARIANT::fltVal, value); }
    // VT_R8, or VT_DATE for a date.
    CComVariant(DOUBLE value, VARTYPE type = VT_R8) noexcept
    {
        Hold(type == VT_DATE ? VT_DATE : VT_R8, &VARIANT::dblVal, value);
    }
    CComVariant(CY value) noexcept { Hold(VT_CY, &VARIANT::cyVal, value); }
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
    bool operator==(const VARIANT& other) const noexcept;

private:
    // Starts as a value of the given type, held in the given member.
    template <class T>
    void Hold(VARTYPE type, T VARIANT::*member, std::type_identity_t<T> value) noexcept
    {
        VariantInit(this);
        vt = type;
        this->*member = value;
    }
    // Starts as a text; one that should have been made (from a non-null source) but was not
    // leaves VT_ERROR E_OUTOFMEMORY.
    void HoldText(BSTR text, bool made)
    {
        Hold(VT_BSTR, &VARIANT::bstrVal, text);
        if (made)
            CheckAlloc();
    }
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
