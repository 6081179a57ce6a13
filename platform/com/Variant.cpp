#include "platform/com/Variant.h"

#include "platform/com/Bstr.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Unknown.h"
#include "platform/registry/Ascii.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace {

bool isValidBaseType(VARTYPE t)
{
    switch (t) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
        return true;
    default:
        return false;
    }
}

bool isValidType(VARTYPE vt)
{
    VARTYPE base = vt & VT_TYPEMASK;
    if (vt & VT_ARRAY)
        return (vt & ~(VT_ARRAY | VT_BYREF | VT_TYPEMASK)) == 0 &&
               (base == VT_VARIANT ||
                (isValidBaseType(base) && base != VT_EMPTY && base != VT_NULL));
    if (vt & VT_BYREF)
        return (vt & ~(VT_BYREF | VT_TYPEMASK)) == 0 &&
               (base == VT_VARIANT ||
                (isValidBaseType(base) && base != VT_EMPTY && base != VT_NULL));
    return (vt & ~VT_TYPEMASK) == 0 && isValidBaseType(vt);
}

// A value read out of a VARIANT for conversion.
struct Number
{
    enum Kind { Integer, Unsigned, Real, Currency } kind = Integer;
    long long i = 0;
    unsigned long long u = 0;
    double d = 0;
};

double toDouble(const Number& n)
{
    switch (n.kind) {
    case Number::Integer:
        return static_cast<double>(n.i);
    case Number::Unsigned:
        return static_cast<double>(n.u);
    case Number::Currency:
        return static_cast<double>(n.i) / 10000.0;
    default:
        return n.d;
    }
}

// Rounds half to even, as the language's integer conversions do.
double roundEven(double d)
{
    return std::nearbyint(d);
}

// The number as an integer in [lo, hi]; false on overflow.
bool toInteger(const Number& n, long double lo, long double hi, long long* out,
               unsigned long long* uout)
{
    long double value;
    switch (n.kind) {
    case Number::Integer:
        value = static_cast<long double>(n.i);
        break;
    case Number::Unsigned:
        value = static_cast<long double>(n.u);
        break;
    case Number::Currency: {
        long long whole = n.i / 10000;
        long long rest = n.i % 10000;
        if (rest > 5000 || (rest == 5000 && (whole & 1)))
            ++whole;
        else if (rest < -5000 || (rest == -5000 && (whole & 1)))
            --whole;
        value = static_cast<long double>(whole);
        break;
    }
    default:
        if (std::isnan(n.d))
            return false;
        value = roundEven(n.d);
    }
    if (value < lo || value > hi)
        return false;
    if (n.kind == Number::Unsigned) {
        *uout = n.u;
        *out = static_cast<long long>(n.u);
    } else if (n.kind == Number::Integer) {
        *out = n.i;
        *uout = static_cast<unsigned long long>(n.i);
    } else {
        // Above the signed range only the unsigned result is meaningful (VT_UI8).
        *uout = value < 0 ? 0 : static_cast<unsigned long long>(value);
        *out = value <= static_cast<long double>(std::numeric_limits<long long>::max())
                   ? static_cast<long long>(value)
                   : static_cast<long long>(*uout);
    }
    return true;
}

std::string trim(std::string s)
{
    std::size_t b = s.find_first_not_of(" \t");
    std::size_t e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// Days from the civil date (proleptic Gregorian) to 1899-12-30.
long long daysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468 + 25569;
}

void civilFromDays(long long z, long long* y, unsigned* m, unsigned* d)
{
    z += 719468 - 25569;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    unsigned doe = static_cast<unsigned>(z - era * 146097);
    unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = static_cast<long long>(yoe) + era * 400 + (*m <= 2);
}

constexpr double minDate = -657434.0; // 0100-01-01
constexpr double maxDate = 2958465.99999;

// "YYYY-MM-DD", with " HH:MM:SS" when the time is not midnight.
std::string dateText(double date)
{
    double days = std::trunc(date);
    long long seconds = std::llround(std::fabs(date - days) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += date < 0 ? -1 : 1;
    }
    long long y;
    unsigned m, d;
    civilFromDays(static_cast<long long>(days), &y, &m, &d);
    char text[64];
    if (seconds == 0)
        std::snprintf(text, sizeof text, "%04lld-%02u-%02u", y, m, d);
    else
        std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02lld:%02lld:%02lld", y, m, d,
                      seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

bool parseDate(const std::string& text, double* date)
{
    int y, mo, d, h = 0, mi = 0, s = 0, used = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d%n", &y, &mo, &d, &used) != 3)
        return false;
    if (static_cast<std::size_t>(used) != text.size()) {
        int more = 0;
        if (std::sscanf(text.c_str() + used, " %d:%d:%d%n", &h, &mi, &s, &more) != 3 ||
            static_cast<std::size_t>(used + more) != text.size())
            return false;
    }
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 ||
        s > 59)
        return false;
    long long days = daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
    long long yy;
    unsigned mm, dd;
    civilFromDays(days, &yy, &mm, &dd);
    if (mm != static_cast<unsigned>(mo)) // 31 of a shorter month
        return false;
    double time = (h * 3600 + mi * 60 + s) / 86400.0;
    *date = days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
    return *date >= minDate && *date <= maxDate;
}

// Parses a number in the invariant format; the whole text must be used.
bool parseNumber(const std::string& raw, Number* n)
{
    std::string text = trim(raw);
    if (text.empty())
        return false;
    const char* first = text.c_str();
    const char* last = first + text.size();
    if (*first == '+')
        ++first;
    long long i;
    auto [p, ec] = std::from_chars(first, last, i);
    if (ec == std::errc() && p == last) {
        n->kind = Number::Integer;
        n->i = i;
        return true;
    }
    unsigned long long u;
    auto [pu, ecu] = std::from_chars(first, last, u);
    if (ecu == std::errc() && pu == last) {
        n->kind = Number::Unsigned;
        n->u = u;
        return true;
    }
    double d;
    auto [pd, ecd] = std::from_chars(first, last, d);
    if (ecd == std::errc() && pd == last && std::isfinite(d)) {
        n->kind = Number::Real;
        n->d = d;
        return true;
    }
    return false;
}

std::string realText(double d, int digits)
{
    if (d == 0)
        return "0";
    char text[64];
    std::snprintf(text, sizeof text, "%.*G", digits, d);
    return text;
}

std::string currencyText(long long scaled)
{
    bool negative = scaled < 0;
    unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(scaled)
                                            : static_cast<unsigned long long>(scaled);
    std::string text = std::to_string(magnitude / 10000);
    unsigned rest = static_cast<unsigned>(magnitude % 10000);
    if (rest) {
        char frac[8];
        std::snprintf(frac, sizeof frac, ".%04u", rest);
        std::string f = frac;
        while (f.back() == '0')
            f.pop_back();
        text += f;
    }
    return negative ? "-" + text : text;
}

HRESULT setText(VARIANT* out, const std::string& text)
{
    std::u16string wide = com::utf16FromUtf8(text);
    out->vt = VT_BSTR;
    out->bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return out->bstrVal ? S_OK : E_OUTOFMEMORY;
}

// Converts a plain value (no reference, no array) into a fresh VARIANT `out`.
HRESULT convert(VARIANT* out, const VARIANT* in, USHORT flags, VARTYPE vt, int depth)
{
    VariantInit(out);
    VARTYPE from = in->vt;

    if (vt == VT_EMPTY)
        return S_OK;
    if (from == VT_NULL) {
        if (vt != VT_NULL)
            return DISP_E_TYPEMISMATCH;
        out->vt = VT_NULL;
        return S_OK;
    }
    if (vt == VT_NULL) {
        if (from != VT_EMPTY)
            return DISP_E_TYPEMISMATCH;
        out->vt = VT_NULL;
        return S_OK;
    }

    // Objects: to an interface type by QueryInterface, otherwise through the default value.
    if (from == VT_DISPATCH || from == VT_UNKNOWN) {
        IUnknown* unknown = in->punkVal;
        if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
            if (!unknown) {
                out->vt = vt;
                out->punkVal = nullptr;
                return S_OK;
            }
            void* found = nullptr;
            HRESULT hr =
                unknown->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &found);
            if (FAILED(hr))
                return hr == E_NOINTERFACE ? DISP_E_TYPEMISMATCH : hr;
            out->vt = vt;
            out->punkVal = static_cast<IUnknown*>(found);
            return S_OK;
        }
        if (!unknown || (flags & VARIANT_NOVALUEPROP) || depth > 8)
            return DISP_E_TYPEMISMATCH;
        IDispatch* dispatch = nullptr;
        if (FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
            return DISP_E_TYPEMISMATCH;
        VARIANT value;
        VariantInit(&value);
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        HRESULT hr = dispatch->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                                      DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
        dispatch->Release();
        if (FAILED(hr))
            return hr == DISP_E_MEMBERNOTFOUND ? DISP_E_TYPEMISMATCH : hr;
        hr = convert(out, &value, flags, vt, depth + 1);
        VariantClear(&value);
        return hr;
    }
    if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
        if (from != VT_EMPTY)
            return DISP_E_TYPEMISMATCH;
        out->vt = vt;
        out->punkVal = nullptr;
        return S_OK;
    }
    if (from == VT_ERROR || vt == VT_ERROR) {
        if (from != vt)
            return DISP_E_TYPEMISMATCH;
        out->vt = VT_ERROR;
        out->scode = in->scode;
        return S_OK;
    }

    // Read the source.
    Number n;
    bool isBool = false;
    bool isDate = false;
    std::string text;
    bool isText = false;
    switch (from) {
    case VT_EMPTY:
        n.i = 0;
        break;
    case VT_I1:
        n.i = in->cVal;
        break;
    case VT_UI1:
        n.i = in->bVal;
        break;
    case VT_I2:
        n.i = in->iVal;
        break;
    case VT_UI2:
        n.i = in->uiVal;
        break;
    case VT_I4:
    case VT_INT:
        n.i = in->lVal;
        break;
    case VT_UI4:
    case VT_UINT:
        n.i = in->ulVal;
        break;
    case VT_I8:
        n.i = in->llVal;
        break;
    case VT_UI8:
        n.kind = Number::Unsigned;
        n.u = in->ullVal;
        break;
    case VT_BOOL:
        n.i = in->boolVal ? -1 : 0;
        isBool = true;
        break;
    case VT_R4:
        n.kind = Number::Real;
        n.d = in->fltVal;
        break;
    case VT_R8:
        n.kind = Number::Real;
        n.d = in->dblVal;
        break;
    case VT_DATE:
        n.kind = Number::Real;
        n.d = in->date;
        isDate = true;
        break;
    case VT_CY:
        n.kind = Number::Currency;
        n.i = in->cyVal.int64;
        break;
    case VT_BSTR:
        isText = true;
        text = com::utf8FromUtf16(com::bstrView(in->bstrVal));
        break;
    default:
        return DISP_E_BADVARTYPE;
    }

    if (vt == VT_BSTR) {
        if (isText)
            return setText(out, text);
        if (from == VT_EMPTY)
            return setText(out, "");
        if (isBool)
            return setText(out, (flags & VARIANT_ALPHABOOL) ? (n.i ? "True" : "False")
                                                            : (n.i ? "-1" : "0"));
        if (isDate) {
            if (!(n.d >= minDate && n.d <= maxDate))
                return DISP_E_OVERFLOW;
            return setText(out, dateText(n.d));
        }
        switch (n.kind) {
        case Number::Integer:
            return setText(out, std::to_string(n.i));
        case Number::Unsigned:
            return setText(out, std::to_string(n.u));
        case Number::Currency:
            return setText(out, currencyText(n.i));
        default:
            return setText(out, realText(n.d, from == VT_R4 ? 7 : 15));
        }
    }

    if (isText) {
        if (vt == VT_BOOL) {
            std::string t = trim(text);
            if (ascii::equalNoCase(t, "true") || ascii::equalNoCase(t, "#true#")) {
                out->vt = VT_BOOL;
                out->boolVal = VARIANT_TRUE;
                return S_OK;
            }
            if (ascii::equalNoCase(t, "false") || ascii::equalNoCase(t, "#false#")) {
                out->vt = VT_BOOL;
                out->boolVal = VARIANT_FALSE;
                return S_OK;
            }
        }
        if (vt == VT_DATE) {
            double date;
            if (parseDate(trim(text), &date)) {
                out->vt = VT_DATE;
                out->date = date;
                return S_OK;
            }
        }
        if (!parseNumber(text, &n))
            return DISP_E_TYPEMISMATCH;
    }

    long long i = 0;
    unsigned long long u = 0;
    auto integer = [&](long double lo, long double hi) { return toInteger(n, lo, hi, &i, &u); };
    switch (vt) {
    case VT_I1:
        if (!integer(-128, 127))
            return DISP_E_OVERFLOW;
        out->cVal = static_cast<CHAR>(i);
        break;
    case VT_UI1:
        if (!integer(0, 255))
            return DISP_E_OVERFLOW;
        out->bVal = static_cast<BYTE>(i);
        break;
    case VT_I2:
        if (!integer(-32768, 32767))
            return DISP_E_OVERFLOW;
        out->iVal = static_cast<SHORT>(i);
        break;
    case VT_UI2:
        if (!integer(0, 65535))
            return DISP_E_OVERFLOW;
        out->uiVal = static_cast<USHORT>(i);
        break;
    case VT_I4:
    case VT_INT:
        if (!integer(-2147483648.0L, 2147483647.0L))
            return DISP_E_OVERFLOW;
        out->lVal = static_cast<LONG>(i);
        break;
    case VT_UI4:
    case VT_UINT:
        if (!integer(0, 4294967295.0L))
            return DISP_E_OVERFLOW;
        out->ulVal = static_cast<ULONG>(i);
        break;
    case VT_I8:
        if (!integer(-9223372036854775808.0L, 9223372036854775807.0L))
            return DISP_E_OVERFLOW;
        out->llVal = i;
        break;
    case VT_UI8:
        if (!integer(0, 18446744073709551615.0L))
            return DISP_E_OVERFLOW;
        out->ullVal = u;
        break;
    case VT_BOOL: {
        bool nonzero = n.kind == Number::Unsigned ? n.u != 0
                       : n.kind == Number::Real   ? n.d != 0
                                                  : n.i != 0;
        out->boolVal = nonzero ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    }
    case VT_R4: {
        double d = toDouble(n);
        if (std::fabs(d) > FLT_MAX)
            return DISP_E_OVERFLOW;
        out->fltVal = static_cast<FLOAT>(d);
        break;
    }
    case VT_R8:
        out->dblVal = toDouble(n);
        break;
    case VT_DATE: {
        double d = toDouble(n);
        if (!(d >= minDate && d <= maxDate))
            return DISP_E_OVERFLOW;
        out->date = d;
        break;
    }
    case VT_CY: {
        if (n.kind == Number::Currency) {
            out->cyVal.int64 = n.i;
            break;
        }
        long double scaled = n.kind == Number::Integer ? static_cast<long double>(n.i) * 10000
                             : n.kind == Number::Unsigned
                                 ? static_cast<long double>(n.u) * 10000
                                 : std::nearbyint(static_cast<long double>(n.d) * 10000);
        if (!(scaled >= -9223372036854775808.0L && scaled < 9223372036854775808.0L))
            return DISP_E_OVERFLOW;
        out->cyVal.int64 = static_cast<long long>(scaled);
        break;
    }
    default:
        return DISP_E_BADVARTYPE;
    }
    out->vt = vt;
    return S_OK;
}

} // namespace

void VariantInit(VARIANTARG* v)
{
    v->vt = VT_EMPTY;
    v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
    std::memset(&v->llVal, 0, sizeof(VARIANT) - offsetof(VARIANT, llVal));
}

HRESULT VariantClear(VARIANTARG* v)
{
    if (!v)
        return E_INVALIDARG;
    if (!isValidType(v->vt))
        return DISP_E_BADVARTYPE;
    if (!(v->vt & VT_BYREF)) {
        if (v->vt & VT_ARRAY) {
            if (v->parray) {
                HRESULT hr = SafeArrayDestroy(v->parray);
                if (FAILED(hr))
                    return hr;
            }
        } else if (v->vt == VT_BSTR) {
            SysFreeString(v->bstrVal);
        } else if (v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN) {
            if (v->punkVal)
                v->punkVal->Release();
        }
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (dest == src)
        return S_OK;
    if (!isValidType(src->vt))
        return DISP_E_BADVARTYPE;
    VARIANT copy = *src;
    if (!(src->vt & VT_BYREF)) {
        if (src->vt & VT_ARRAY) {
            if (src->parray) {
                HRESULT hr = SafeArrayCopy(src->parray, &copy.parray);
                if (FAILED(hr))
                    return hr;
            }
        } else if (src->vt == VT_BSTR) {
            if (src->bstrVal) {
                copy.bstrVal = com::bstrCopy(src->bstrVal);
                if (!copy.bstrVal)
                    return E_OUTOFMEMORY;
            }
        } else if (src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) {
            if (src->punkVal)
                src->punkVal->AddRef();
        }
    }
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *dest = copy;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* src)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (!(src->vt & VT_BYREF))
        return VariantCopy(dest, src);
    if (!isValidType(src->vt))
        return DISP_E_BADVARTYPE;
    VARIANT value;
    VariantInit(&value);
    VARTYPE base = src->vt & ~VT_BYREF;
    if (base == VT_VARIANT) {
        if (src->pvarVal->vt == (VT_BYREF | VT_VARIANT))
            return E_INVALIDARG;
        value = *src->pvarVal;
    } else if (base & VT_ARRAY) {
        value.vt = base;
        value.parray = *src->pparray;
    } else {
        value.vt = base;
        switch (base) {
        case VT_I1:
        case VT_UI1:
            value.bVal = *src->pbVal;
            break;
        case VT_I2:
        case VT_UI2:
        case VT_BOOL:
            value.iVal = *src->piVal;
            break;
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
        case VT_ERROR:
        case VT_R4:
            value.lVal = *src->plVal;
            break;
        case VT_I8:
        case VT_UI8:
        case VT_R8:
        case VT_DATE:
        case VT_CY:
            value.llVal = *src->pllVal;
            break;
        case VT_BSTR:
            value.bstrVal = *src->pbstrVal;
            break;
        case VT_DISPATCH:
        case VT_UNKNOWN:
            value.punkVal = *src->ppunkVal;
            break;
        default:
            return DISP_E_BADVARTYPE;
        }
    }
    // `value` borrows the referenced data; VariantCopy makes dest its own copy.
    VARIANT copy;
    VariantInit(&copy);
    HRESULT hr = VariantCopy(&copy, &value);
    if (FAILED(hr))
        return hr;
    if (dest != src)
        VariantClear(dest);
    *dest = copy;
    return S_OK;
}

HRESULT VariantChangeTypeEx(VARIANTARG* dest, const VARIANTARG* src, LCID, USHORT flags, VARTYPE vt)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (!isValidType(src->vt))
        return DISP_E_BADVARTYPE;
    if (vt & VT_BYREF)
        return DISP_E_TYPEMISMATCH;
    if (!isValidType(vt) && vt != VT_EMPTY)
        return DISP_E_BADVARTYPE;

    VARIANT plain;
    VariantInit(&plain);
    HRESULT hr = VariantCopyInd(&plain, src);
    if (FAILED(hr))
        return hr;
    VARIANT result;
    VariantInit(&result);
    if ((plain.vt & VT_ARRAY) || (vt & VT_ARRAY)) {
        if (plain.vt == vt) {
            result = plain;
            VariantInit(&plain);
        } else {
            hr = DISP_E_TYPEMISMATCH;
        }
    } else if (plain.vt == vt) {
        result = plain;
        VariantInit(&plain);
    } else {
        hr = convert(&result, &plain, flags, vt, 0);
    }
    VariantClear(&plain);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *dest = result;
    return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags, VARTYPE vt)
{
    return VariantChangeTypeEx(dest, src, LOCALE_USER_DEFAULT, flags, vt);
}
