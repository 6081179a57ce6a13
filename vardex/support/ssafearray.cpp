#include "vardex/support/ssafearray.h"

SSafeArrayBase::~SSafeArrayBase()
{
    if (!m_psa)
        return;
    SafeArrayUnlock(m_psa);
    if (m_owner)
        SafeArrayDestroy(m_psa);
}

VARIANT* SSafeArrayBase::Create(ULONG count, LONG lowerBound)
{
    m_count = count;
    SAFEARRAYBOUND bound{count, lowerBound};
    m_psa = SafeArrayCreate(VT_VARIANT, 1, &bound);
    if (!m_psa)
        return nullptr;
    m_owner = true;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(m_psa, &data))) {
        SafeArrayDestroy(m_psa);
        m_psa = nullptr;
        m_owner = false;
        return nullptr;
    }
    return static_cast<VARIANT*>(data);
}

void SSafeArrayBase::Finish()
{
    SafeArrayUnaccessData(m_psa);
    SafeArrayLock(m_psa);
}

void SSafeArrayBase::HandOver(VARIANT* target)
{
    SASSERT(target != 0);
    if (!m_psa || !target)
        return;
    SASSERT_INFO(m_owner, "The safe array was handed over before");
    if (!m_owner)
        return;
    // A target that cannot be cleared is left as it is: overwriting it would lose what it holds.
    const HRESULT cleared = VariantClear(target);
    SASSERT_INFO(SUCCEEDED(cleared), "The target of the hand-over could not be cleared");
    if (FAILED(cleared))
        return;
    VARTYPE type = VT_VARIANT;
    SafeArrayGetVartype(m_psa, &type);
    target->vt = VARTYPE(VT_ARRAY | type);
    target->parray = m_psa;
    m_owner = false;
}

SSafeArray<LONG>::SSafeArray(const SIArray<LONG>& items, LONG lowerBound)
{
    VARIANT* elements = Create(ULONG(items.GetSize()), lowerBound);
    if (!elements)
        return;
    for (int32_t i = 0; i < items.GetSize(); ++i) {
        elements[i].vt = VT_I4;
        elements[i].lVal = items[i];
    }
    Finish();
}

SSafeArray<CComVariant>::SSafeArray(const SIArray<CComVariant>& items, LONG lowerBound)
{
    VARIANT* elements = Create(ULONG(items.GetSize()), lowerBound);
    if (!elements)
        return;
    for (int32_t i = 0; i < items.GetSize(); ++i) {
        HRESULT hr = VariantCopy(&elements[i], &items[i]);
        if (FAILED(hr)) {
            elements[i].vt = VT_ERROR;
            elements[i].scode = hr;
        }
    }
    Finish();
}
