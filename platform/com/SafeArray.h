#pragma once
// SAFEARRAY: a multi-dimensional array with bounds, lock count and element type.

#include "platform/com/Variant.h"

struct SAFEARRAYBOUND
{
    ULONG cElements;
    LONG lLbound;
};

// rgsabound holds the bounds with the rightmost dimension first, as the platform lays them out;
// the array functions take dimensions numbered from 1 (leftmost) and indices leftmost first.
struct SAFEARRAY
{
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
};

static_assert(sizeof(SAFEARRAYBOUND) == 8);
static_assert(sizeof(SAFEARRAY) == 32 && offsetof(SAFEARRAY, cLocks) == 8 &&
              offsetof(SAFEARRAY, pvData) == 16 && offsetof(SAFEARRAY, rgsabound) == 24);

inline constexpr USHORT FADF_AUTO = 0x0001;
inline constexpr USHORT FADF_STATIC = 0x0002;
inline constexpr USHORT FADF_EMBEDDED = 0x0004;
inline constexpr USHORT FADF_FIXEDSIZE = 0x0010;
inline constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
inline constexpr USHORT FADF_BSTR = 0x0100;
inline constexpr USHORT FADF_UNKNOWN = 0x0200;
inline constexpr USHORT FADF_DISPATCH = 0x0400;
inline constexpr USHORT FADF_VARIANT = 0x0800;

// Element types: the integer, real, Boolean, currency, date, error, BSTR, VARIANT, IUnknown and
// IDispatch types. Null for an unsupported type or when out of memory.
COM_API SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* bounds);
COM_API SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
// Frees the elements and the array; DISP_E_ARRAYISLOCKED while the lock count is not 0.
COM_API HRESULT SafeArrayDestroy(SAFEARRAY* psa);
COM_API HRESULT SafeArrayDestroyData(SAFEARRAY* psa);
COM_API HRESULT SafeArrayLock(SAFEARRAY* psa);
// E_UNEXPECTED when the array is not locked.
COM_API HRESULT SafeArrayUnlock(SAFEARRAY* psa);
COM_API UINT SafeArrayGetDim(SAFEARRAY* psa);
COM_API UINT SafeArrayGetElemsize(SAFEARRAY* psa);
COM_API HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* vt);
// DISP_E_BADINDEX for a dimension outside 1..cDims.
COM_API HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
COM_API HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
// Copies in (BSTR copied, VARIANT copied, interface AddRef'ed); DISP_E_BADINDEX out of bounds.
COM_API HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* indices, void* pv);
// Copies out; the caller owns the copy.
COM_API HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* indices, void* pv);
COM_API HRESULT SafeArrayPtrOfIndex(SAFEARRAY* psa, LONG* indices, void** ppv);
// Locks the array and returns its data; UnaccessData unlocks it.
COM_API HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
COM_API HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);
// Deep copy of the array and its elements.
COM_API HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut);
