#pragma once
// Builders of one-dimensional safe arrays of VARIANTs from SIArray<LONG> and
// SIArray<CComVariant>, for passing item lists to COM clients.
//
// The wrapper keeps the array locked while it lives. HandOver gives the array
// to a VARIANT (VT_ARRAY | VT_VARIANT); the wrapper then no longer owns it but
// still unlocks it when destroyed, after which the VARIANT's holder frees it.
// A wrapper that still owns its array destroys it.

#include "platform/com/Atl.h"
#include "platform/com/SafeArray.h"
#include "vardex/support/scontainers.h"

class SSafeArrayBase
{
public:
    SSafeArrayBase(const SSafeArrayBase&) = delete;
    SSafeArrayBase& operator=(const SSafeArrayBase&) = delete;

    // Clears `target` and makes it hold the array; nothing when there is no
    // array. A second hand-over is reported and does nothing (the array has one holder).
    void HandOver(VARIANT* target);

    SAFEARRAY* GetArray() const { return m_psa; }
    ULONG GetCount() const { return m_count; }
    bool IsOwner() const { return m_owner; }

protected:
    SSafeArrayBase() = default;
    ~SSafeArrayBase();

    // Creates the array; returns its elements to fill (null when it cannot be made).
    VARIANT* Create(ULONG count, LONG lowerBound);
    // Gives the element data back and locks the array for the wrapper's life.
    void Finish();

private:
    SAFEARRAY* m_psa = nullptr;
    ULONG m_count = 0;
    bool m_owner = false;
};

template <class T> class SSafeArray;

template <> class SSafeArray<LONG> : public SSafeArrayBase
{
public:
    // Each element a VT_I4 VARIANT with the array's value, in order.
    SSafeArray(const SIArray<LONG>& items, LONG lowerBound);
};

template <> class SSafeArray<CComVariant> : public SSafeArrayBase
{
public:
    // Each element a copy of the array's VARIANT; a failed copy gives VT_ERROR with its HRESULT.
    SSafeArray(const SIArray<CComVariant>& items, LONG lowerBound);
};
