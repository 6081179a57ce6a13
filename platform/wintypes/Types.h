#pragma once
// Fixed-width base types of the component runtime, GUIDs and result codes.
// The IDL's `long` is 32 bits wide, so LONG and friends are int32_t here.

#include <cstddef>
#include <cstdint>
#include <string>

// The runtime's C interface: unmangled names, callable from a separately compiled client.
// The runtime's shared library exports its interface only (it is built with hidden
// visibility): the C functions and the C++ helpers its clients use.
#define COM_VISIBLE __attribute__((visibility("default")))
#define COM_API extern "C" COM_VISIBLE

using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using WORD = std::uint16_t;
using USHORT = std::uint16_t;
using SHORT = std::int16_t;
using BYTE = std::uint8_t;
using CHAR = char;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using FLOAT = float;
using DOUBLE = double;
using DATE = double;
using BOOL = std::int32_t;
using VARIANT_BOOL = std::int16_t;
using LCID = std::uint32_t;
using DISPID = std::int32_t;
using MEMBERID = DISPID;
using WCHAR = char16_t;
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;
static_assert(sizeof(OLECHAR) == 2 && sizeof(BSTR) == 8, "the platform's 64-bit layouts");

// Other C headers (glib) define these as macros of the same values.
#ifndef TRUE
inline constexpr BOOL TRUE = 1;
#endif
#ifndef FALSE
inline constexpr BOOL FALSE = 0;
#endif
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

inline constexpr LCID LOCALE_USER_DEFAULT = 0x400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x800;

// Currency: a 64-bit integer scaled by 10 000.
struct CY
{
    LONGLONG int64;
};

struct GUID
{
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16 && alignof(GUID) == 4);
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr bool operator==(const GUID& a, const GUID& b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}

// Ordering for use as a map key (field by field).
COM_VISIBLE bool operator<(const GUID& a, const GUID& b);

inline constexpr GUID GUID_NULL{};
inline constexpr IID IID_NULL{};
inline constexpr CLSID CLSID_NULL{};

// Text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (38 characters).
// StringFromGUID2 returns the characters written including the terminating zero, or 0 when
// cchMax is too small.
COM_API int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax);
// CoTaskMemAlloc'ed text form; free with CoTaskMemFree.
COM_API HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text);
COM_API HRESULT StringFromIID(REFIID iid, LPOLESTR* text);
// Braced text form only; CO_E_CLASSSTRING / E_INVALIDARG on a malformed text.
COM_API HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);
COM_API HRESULT IIDFromString(LPCOLESTR text, IID* iid);

namespace com {
// UTF-8 text form, upper-case hex in braces.
COM_VISIBLE std::string guidToString(REFGUID guid);
// Parses the braced text form; false when malformed.
COM_VISIBLE bool guidFromString(const std::string& text, GUID* guid);
} // namespace com

// Result codes.
inline constexpr bool SUCCEEDED(HRESULT hr)
{
    return hr >= 0;
}
inline constexpr bool FAILED(HRESULT hr)
{
    return hr < 0;
}
inline constexpr HRESULT MAKE_HRESULT(unsigned severity, unsigned facility, unsigned code)
{
    return static_cast<HRESULT>((severity << 31) | (facility << 16) | (code & 0xFFFF));
}
inline constexpr unsigned SEVERITY_SUCCESS = 0;
inline constexpr unsigned SEVERITY_ERROR = 1;
inline constexpr unsigned FACILITY_NULL = 0;
inline constexpr unsigned FACILITY_RPC = 1;
inline constexpr unsigned FACILITY_DISPATCH = 2;
inline constexpr unsigned FACILITY_ITF = 4;
inline constexpr unsigned FACILITY_WIN32 = 7;
inline constexpr HRESULT HRESULT_FROM_WIN32(long error)
{
    return error <= 0 ? static_cast<HRESULT>(error)
                      : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_WIN32, static_cast<unsigned>(error));
}

namespace com {
constexpr HRESULT hr(std::uint32_t code)
{
    return static_cast<HRESULT>(code);
}
} // namespace com

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT NOERROR = 0;
inline constexpr HRESULT E_UNEXPECTED = com::hr(0x8000FFFF);
inline constexpr HRESULT E_NOTIMPL = com::hr(0x80004001);
inline constexpr HRESULT E_OUTOFMEMORY = com::hr(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = com::hr(0x80070057);
inline constexpr HRESULT E_NOINTERFACE = com::hr(0x80004002);
inline constexpr HRESULT E_POINTER = com::hr(0x80004003);
inline constexpr HRESULT E_HANDLE = com::hr(0x80070006);
inline constexpr HRESULT E_ABORT = com::hr(0x80004004);
inline constexpr HRESULT E_FAIL = com::hr(0x80004005);
inline constexpr HRESULT E_ACCESSDENIED = com::hr(0x80070005);

inline constexpr HRESULT CLASS_E_NOAGGREGATION = com::hr(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = com::hr(0x80040111);
inline constexpr HRESULT REGDB_E_READREGDB = com::hr(0x80040150);
inline constexpr HRESULT REGDB_E_WRITEREGDB = com::hr(0x80040151);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = com::hr(0x80040154);
inline constexpr HRESULT CO_E_NOTINITIALIZED = com::hr(0x800401F0);
inline constexpr HRESULT CO_E_CLASSSTRING = com::hr(0x800401F3);
inline constexpr HRESULT CO_E_DLLNOTFOUND = com::hr(0x800401F8);
inline constexpr HRESULT CO_E_ERRORINDLL = com::hr(0x800401F9);
inline constexpr HRESULT CO_E_OBJNOTREG = com::hr(0x800401FB);
inline constexpr HRESULT RPC_E_CHANGED_MODE = com::hr(0x80010106);
inline constexpr HRESULT RPC_E_DISCONNECTED = com::hr(0x80010108);

inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = com::hr(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = com::hr(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = com::hr(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = com::hr(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = com::hr(0x80020006);
inline constexpr HRESULT DISP_E_NONAMEDARGS = com::hr(0x80020007);
inline constexpr HRESULT DISP_E_BADVARTYPE = com::hr(0x80020008);
inline constexpr HRESULT DISP_E_EXCEPTION = com::hr(0x80020009);
inline constexpr HRESULT DISP_E_OVERFLOW = com::hr(0x8002000A);
inline constexpr HRESULT DISP_E_BADINDEX = com::hr(0x8002000B);
inline constexpr HRESULT DISP_E_UNKNOWNLCID = com::hr(0x8002000C);
inline constexpr HRESULT DISP_E_ARRAYISLOCKED = com::hr(0x8002000D);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = com::hr(0x8002000E);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = com::hr(0x8002000F);

inline constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = com::hr(0x8002802B);
inline constexpr HRESULT TYPE_E_LIBNOTREGISTERED = com::hr(0x8002801D);
inline constexpr HRESULT TYPE_E_CANTLOADLIBRARY = com::hr(0x80029C4A);
inline constexpr HRESULT TYPE_E_REGISTRYACCESS = com::hr(0x8002801C);
