#include "platform/com/ComVariant.h"

CComVariant::CComVariant(const char* text)
{
    HoldText(CComBSTR(text ? text : "").Detach(), true);
}

CComVariant::CComVariant(IDispatch* value) noexcept
{
    Hold(VT_DISPATCH, &VARIANT::pdispVal, value);
    if (value)
        value->AddRef();
}

CComVariant::CComVariant(IUnknown* value) noexcept
{
    Hold(VT_UNKNOWN, &VARIANT::punkVal, value);
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
