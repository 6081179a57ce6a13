#include "platform/com/SafeArray.h"

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

#include <cstdlib>
#include <cstring>
#include <limits>

// Each descriptor this runtime allocates is preceded by a hidden block that records the element
// type (FADF_HAVEVARTYPE says so). A client may build its own arrays (FADF_AUTO, FADF_STATIC or
// FADF_EMBEDDED, no hidden block): those are read and their elements released, but neither their
// descriptor nor their data is freed here, and nothing before their header is touched.
namespace {

constexpr std::size_t hidden = 16;

ULONG elementSize(VARTYPE vt)
{
    switch (vt) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
    case VT_CY:
        return 8;
    case VT_BSTR:
        return sizeof(BSTR);
    case VT_UNKNOWN:
    case VT_DISPATCH:
        return sizeof(IUnknown*);
    case VT_VARIANT:
        return sizeof(VARIANT);
    default:
        return 0;
    }
}

USHORT featuresOf(VARTYPE vt)
{
    switch (vt) {
    case VT_BSTR:
        return FADF_HAVEVARTYPE | FADF_BSTR;
    case VT_UNKNOWN:
        return FADF_HAVEVARTYPE | FADF_UNKNOWN;
    case VT_DISPATCH:
        return FADF_HAVEVARTYPE | FADF_DISPATCH;
    case VT_VARIANT:
        return FADF_HAVEVARTYPE | FADF_VARIANT;
    default:
        return FADF_HAVEVARTYPE;
    }
}

VARTYPE& storedType(SAFEARRAY* psa)
{
    return *reinterpret_cast<VARTYPE*>(reinterpret_cast<char*>(psa) - hidden);
}

// Total elements; false when the size overflows.
bool elementCount(const SAFEARRAY* psa, std::size_t* count)
{
    std::size_t n = 1;
    for (USHORT i = 0; i < psa->cDims; ++i) {
        std::size_t c = psa->rgsabound[i].cElements;
        if (c && n > std::numeric_limits<std::size_t>::max() / c / 16)
            return false;
        n *= c;
    }
    *count = n;
    return true;
}

// Dimension d (1 = leftmost) is stored at rgsabound[cDims - d].
const SAFEARRAYBOUND& bound(const SAFEARRAY* psa, UINT d)
{
    return psa->rgsabound[psa->cDims - d];
}

bool offsetOf(SAFEARRAY* psa, const LONG* indices, std::size_t* offset)
{
    std::size_t result = 0;
    std::size_t stride = 1;
    for (UINT d = 1; d <= psa->cDims; ++d) {
        const SAFEARRAYBOUND& b = bound(psa, d);
        long long position = static_cast<long long>(indices[d - 1]) - b.lLbound;
        if (position < 0 || position >= static_cast<long long>(b.cElements))
            return false;
        result += static_cast<std::size_t>(position) * stride;
        stride *= b.cElements;
    }
    *offset = result * psa->cbElements;
    return true;
}

void clearElements(SAFEARRAY* psa)
{
    std::size_t count;
    if (!psa->pvData || !elementCount(psa, &count))
        return;
    auto* data = static_cast<char*>(psa->pvData);
    for (std::size_t i = 0; i < count; ++i) {
        void* element = data + i * psa->cbElements;
        if (psa->fFeatures & FADF_BSTR) {
            SysFreeString(*static_cast<BSTR*>(element));
        } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
            if (auto* unknown = *static_cast<IUnknown**>(element))
                unknown->Release();
        } else if (psa->fFeatures & FADF_VARIANT) {
            VariantClear(static_cast<VARIANT*>(element));
        }
    }
    std::memset(psa->pvData, 0, count * psa->cbElements);
}

SAFEARRAY* allocateDescriptor(VARTYPE vt, UINT cDims)
{
    std::size_t size = hidden + sizeof(SAFEARRAY) + (cDims - 1) * sizeof(SAFEARRAYBOUND);
    auto* block = static_cast<char*>(std::calloc(1, size));
    if (!block)
        return nullptr;
    auto* psa = reinterpret_cast<SAFEARRAY*>(block + hidden);
    storedType(psa) = vt;
    psa->cDims = static_cast<USHORT>(cDims);
    psa->fFeatures = featuresOf(vt);
    psa->cbElements = elementSize(vt);
    return psa;
}

constexpr USHORT clientOwned = FADF_AUTO | FADF_STATIC | FADF_EMBEDDED;

void freeDescriptor(SAFEARRAY* psa)
{
    if (!(psa->fFeatures & clientOwned))
        std::free(reinterpret_cast<char*>(psa) - hidden);
}

bool allocateData(SAFEARRAY* psa)
{
    std::size_t count;
    if (!elementCount(psa, &count))
        return false;
    psa->pvData = std::calloc(count ? count : 1, psa->cbElements);
    return psa->pvData != nullptr;
}

// Copies one element of the array into an empty slot: a new BSTR, one more reference, a copy of
// the VARIANT, or the bytes themselves.
HRESULT copyElement(const SAFEARRAY* psa, const void* from, void* to)
{
    if (psa->fFeatures & FADF_BSTR) {
        BSTR text = *static_cast<const BSTR*>(from);
        BSTR copy = com::bstrCopy(text);
        if (text && !copy)
            return E_OUTOFMEMORY;
        *static_cast<BSTR*>(to) = copy;
    } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        auto* unknown = *static_cast<IUnknown* const*>(from);
        if (unknown)
            unknown->AddRef();
        *static_cast<IUnknown**>(to) = unknown;
    } else if (psa->fFeatures & FADF_VARIANT) {
        VariantInit(static_cast<VARIANT*>(to));
        return VariantCopy(static_cast<VARIANT*>(to), static_cast<const VARIANT*>(from));
    } else {
        std::memcpy(to, from, psa->cbElements);
    }
    return S_OK;
}

// The arguments of a bound query: an array, a place for the answer and one of its dimensions.
HRESULT checkDimension(const SAFEARRAY* psa, UINT nDim, const LONG* answer)
{
    if (!psa || !answer)
        return E_INVALIDARG;
    if (nDim < 1 || nDim > psa->cDims)
        return DISP_E_BADINDEX;
    return S_OK;
}

} // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* bounds)
{
    if (!bounds || cDims == 0 || cDims > 0xFFFF || elementSize(vt) == 0)
        return nullptr;
    SAFEARRAY* psa = allocateDescriptor(vt, cDims);
    if (!psa)
        return nullptr;
    for (UINT d = 1; d <= cDims; ++d)
        psa->rgsabound[cDims - d] = bounds[d - 1];
    if (!allocateData(psa)) {
        freeDescriptor(psa);
        return nullptr;
    }
    return psa;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements)
{
    SAFEARRAYBOUND b{cElements, lLbound};
    return SafeArrayCreate(vt, 1, &b);
}

HRESULT SafeArrayDestroyData(SAFEARRAY* psa)
{
    if (!psa)
        return E_INVALIDARG;
    if (psa->cLocks)
        return DISP_E_ARRAYISLOCKED;
    clearElements(psa);
    if (!(psa->fFeatures & clientOwned)) {
        std::free(psa->pvData);
        psa->pvData = nullptr;
    }
    return S_OK;
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa)
{
    if (!psa)
        return S_OK;
    if (psa->cLocks)
        return DISP_E_ARRAYISLOCKED;
    SafeArrayDestroyData(psa);
    freeDescriptor(psa);
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa)
{
    if (!psa)
        return E_INVALIDARG;
    if (psa->cLocks >= 0xFFFF)
        return E_UNEXPECTED;
    ++psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa)
{
    if (!psa)
        return E_INVALIDARG;
    if (psa->cLocks == 0)
        return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa)
{
    return psa ? psa->cDims : 0;
}

UINT SafeArrayGetElemsize(SAFEARRAY* psa)
{
    return psa ? psa->cbElements : 0;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* vt)
{
    if (!psa || !vt)
        return E_INVALIDARG;
    if (psa->fFeatures & FADF_HAVEVARTYPE)
        *vt = storedType(psa);
    else if (psa->fFeatures & FADF_BSTR)
        *vt = VT_BSTR;
    else if (psa->fFeatures & FADF_UNKNOWN)
        *vt = VT_UNKNOWN;
    else if (psa->fFeatures & FADF_DISPATCH)
        *vt = VT_DISPATCH;
    else if (psa->fFeatures & FADF_VARIANT)
        *vt = VT_VARIANT;
    else
        return E_INVALIDARG;
    return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound)
{
    if (HRESULT hr = checkDimension(psa, nDim, plLbound); FAILED(hr))
        return hr;
    *plLbound = bound(psa, nDim).lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound)
{
    if (HRESULT hr = checkDimension(psa, nDim, plUbound); FAILED(hr))
        return hr;
    const SAFEARRAYBOUND& b = bound(psa, nDim);
    *plUbound = static_cast<LONG>(static_cast<long long>(b.lLbound) + b.cElements - 1);
    return S_OK;
}

HRESULT SafeArrayPtrOfIndex(SAFEARRAY* psa, LONG* indices, void** ppv)
{
    if (!psa || !indices || !ppv)
        return E_INVALIDARG;
    std::size_t offset;
    if (!offsetOf(psa, indices, &offset))
        return DISP_E_BADINDEX;
    *ppv = static_cast<char*>(psa->pvData) + offset;
    return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* indices, void* pv)
{
    void* element;
    HRESULT hr = SafeArrayPtrOfIndex(psa, indices, &element);
    if (FAILED(hr))
        return hr;
    if (psa->fFeatures & FADF_BSTR) {
        auto text = static_cast<BSTR>(pv);
        BSTR copy = com::bstrCopy(text);
        if (text && !copy)
            return E_OUTOFMEMORY;
        SysFreeString(*static_cast<BSTR*>(element));
        *static_cast<BSTR*>(element) = copy;
    } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        auto* unknown = static_cast<IUnknown*>(pv);
        if (unknown)
            unknown->AddRef();
        if (auto* old = *static_cast<IUnknown**>(element))
            old->Release();
        *static_cast<IUnknown**>(element) = unknown;
    } else if (psa->fFeatures & FADF_VARIANT) {
        if (!pv)
            return E_INVALIDARG;
        return VariantCopy(static_cast<VARIANT*>(element), static_cast<VARIANT*>(pv));
    } else {
        if (!pv)
            return E_INVALIDARG;
        std::memcpy(element, pv, psa->cbElements);
    }
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* indices, void* pv)
{
    if (!pv)
        return E_INVALIDARG;
    void* element;
    HRESULT hr = SafeArrayPtrOfIndex(psa, indices, &element);
    if (FAILED(hr))
        return hr;
    return copyElement(psa, element, pv);
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData)
{
    if (!psa || !ppvData)
        return E_INVALIDARG;
    HRESULT hr = SafeArrayLock(psa);
    if (FAILED(hr))
        return hr;
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa)
{
    return SafeArrayUnlock(psa);
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut)
{
    if (!ppsaOut)
        return E_INVALIDARG;
    *ppsaOut = nullptr;
    if (!psa)
        return S_OK;
    // An array without a known element type is copied by its element size and kind.
    VARTYPE vt = VT_EMPTY;
    bool typed = SUCCEEDED(SafeArrayGetVartype(psa, &vt));
    SAFEARRAY* copy = allocateDescriptor(vt, psa->cDims);
    if (!copy)
        return E_OUTOFMEMORY;
    copy->cbElements = psa->cbElements;
    copy->fFeatures = static_cast<USHORT>((psa->fFeatures & ~clientOwned & ~FADF_HAVEVARTYPE) |
                                          (typed ? FADF_HAVEVARTYPE : 0));
    std::memcpy(copy->rgsabound, psa->rgsabound, psa->cDims * sizeof(SAFEARRAYBOUND));
    if (!allocateData(copy)) {
        freeDescriptor(copy);
        return E_OUTOFMEMORY;
    }
    std::size_t count = 0;
    elementCount(psa, &count);
    auto* from = static_cast<char*>(psa->pvData);
    auto* to = static_cast<char*>(copy->pvData);
    for (std::size_t i = 0; i < count; ++i) {
        HRESULT hr = copyElement(psa, from + i * psa->cbElements, to + i * psa->cbElements);
        if (FAILED(hr)) {
            SafeArrayDestroy(copy);
            return hr;
        }
    }
    *ppsaOut = copy;
    return S_OK;
}
