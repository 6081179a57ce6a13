#pragma once
// VARIANT: the tagged value of automation calls, with copy, clear and change of type.

#include "platform/wintypes/Types.h"

#include <cstddef>

struct IUnknown;
struct IDispatch;
struct SAFEARRAY;

using VARTYPE = std::uint16_t;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

struct IRecordInfo;

// A 96-bit scaled integer; as a VARIANT member it overlays the whole VARIANT, its first word
// being the VARIANT's type.
struct DECIMAL
{
    USHORT wReserved;
    BYTE scale;
    BYTE sign;
    ULONG Hi32;
    ULONGLONG Lo64;
};

// The platform's 64-bit layout: type and reserved words, then an 8-byte value or a record's
// two pointers (24 bytes in all), with a DECIMAL overlaying the whole.
struct VARIANT
{
    union {
        struct
        {
            VARTYPE vt;
            WORD wReserved1;
            WORD wReserved2;
            WORD wReserved3;
            union {
                struct
                {
                    void* pvRecord;
                    IRecordInfo* pRecInfo;
                };
                LONGLONG llVal;
                ULONGLONG ullVal;
                LONG lVal;
                ULONG ulVal;
                INT intVal;
                UINT uintVal;
                BYTE bVal;
                CHAR cVal;
                SHORT iVal;
                USHORT uiVal;
                FLOAT fltVal;
                DOUBLE dblVal;
                VARIANT_BOOL boolVal;
                SCODE scode;
                CY cyVal;
                DATE date;
                BSTR bstrVal;
                IUnknown* punkVal;
                IDispatch* pdispVal;
                SAFEARRAY* parray;
                BYTE* pbVal;
                CHAR* pcVal;
                SHORT* piVal;
                USHORT* puiVal;
                LONG* plVal;
                ULONG* pulVal;
                INT* pintVal;
                UINT* puintVal;
                LONGLONG* pllVal;
                ULONGLONG* pullVal;
                FLOAT* pfltVal;
                DOUBLE* pdblVal;
                VARIANT_BOOL* pboolVal;
                SCODE* pscode;
                CY* pcyVal;
                DATE* pdate;
                BSTR* pbstrVal;
                IUnknown** ppunkVal;
                IDispatch** ppdispVal;
                SAFEARRAY** pparray;
                VARIANT* pvarVal;
                DECIMAL* pdecVal;
                void* byref;
            };
        };
        DECIMAL decVal;
    };
};
using VARIANTARG = VARIANT;

static_assert(sizeof(DECIMAL) == 16);
static_assert(sizeof(VARIANT) == 24 && alignof(VARIANT) == 8);
static_assert(offsetof(VARIANT, lVal) == 8 && offsetof(VARIANT, pRecInfo) == 16);
static_assert(offsetof(VARIANT, decVal) == 0 && offsetof(DECIMAL, Lo64) == 8);

#define V_VT(X) ((X)->vt)
#define V_I2(X) ((X)->iVal)
#define V_I4(X) ((X)->lVal)
#define V_R8(X) ((X)->dblVal)
#define V_BOOL(X) ((X)->boolVal)
#define V_BSTR(X) ((X)->bstrVal)
#define V_UNKNOWN(X) ((X)->punkVal)
#define V_DISPATCH(X) ((X)->pdispVal)
#define V_ARRAY(X) ((X)->parray)
#define V_ERROR(X) ((X)->scode)

// Flags of VariantChangeType.
inline constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
inline constexpr USHORT VARIANT_ALPHABOOL = 0x02;
inline constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x04;
inline constexpr USHORT VARIANT_LOCALBOOL = 0x10;

COM_API void VariantInit(VARIANTARG* v);
// Frees what the VARIANT owns (BSTR, interface reference, array) and leaves it VT_EMPTY.
// DISP_E_BADVARTYPE for an unknown type (left untouched).
COM_API HRESULT VariantClear(VARIANTARG* v);
// Clears dest, then makes it a deep copy of src (strings and arrays copied, interfaces AddRef'ed).
COM_API HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src);
// As VariantCopy, with a VT_BYREF source copied as the value it refers to.
COM_API HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* src);
// Converts src to type vt into dest (dest may be src). Numbers, Booleans, currency, dates and
// texts convert among each other (DISP_E_OVERFLOW out of range, DISP_E_TYPEMISMATCH for text that
// is not a number); an object converts through its default value (DISPID_VALUE) unless
// VARIANT_NOVALUEPROP; VT_NULL converts only to itself. Texts use the invariant format ("1.5",
// dates "YYYY-MM-DD" with " HH:MM:SS" when the time is not midnight). VT_DECIMAL is not held.
COM_API HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags,
                                  VARTYPE vt);
COM_API HRESULT VariantChangeTypeEx(VARIANTARG* dest, const VARIANTARG* src, LCID lcid,
                                    USHORT flags, VARTYPE vt);
