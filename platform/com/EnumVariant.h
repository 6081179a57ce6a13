#pragma once
// The copying VARIANT enumerator: a snapshot of VARIANTs with its own cursor.

#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"

#include <algorithm>
#include <mutex>
#include <vector>

enum CComEnumFlags { AtlFlagNoCopy = 0, AtlFlagTakeOwnership = 2, AtlFlagCopy = 3 };

// Enumerates a snapshot of VARIANTs. Create with CComObject<CComEnumVariant>::CreateInstance.
class CComEnumVariant : public IEnumVARIANT, public CComObjectRootEx<CComObjectThreadModel>
{
public:
    static const _ATL_INTMAP_ENTRY* _GetEntries()
    {
        static constexpr _ATL_INTMAP_ENTRY entries[] = {
            com::interfaceEntry<CComEnumVariant, IEnumVARIANT>(), com::interfaceMapEnd()};
        return entries;
    }
    ~CComEnumVariant()
    {
        for (VARIANT& v : m_items)
            VariantClear(&v);
    }

    // Takes copies of [begin, end) (the only mode the snapshot supports); owner is kept alive
    // while the enumerator lives.
    HRESULT Init(VARIANT* begin, VARIANT* end, IUnknown* owner, CComEnumFlags = AtlFlagCopy)
    {
        for (VARIANT& v : m_items)
            VariantClear(&v);
        m_items.clear();
        for (VARIANT* p = begin; p != end; ++p) {
            VARIANT copy;
            VariantInit(&copy);
            HRESULT hr = VariantCopy(&copy, p);
            if (FAILED(hr))
                return hr;
            m_items.push_back(copy);
        }
        m_owner = owner;
        m_position = 0;
        return S_OK;
    }

    HRESULT Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) override
    {
        if (!rgVar || (celt != 1 && !pCeltFetched))
            return E_POINTER;
        std::lock_guard<CComEnumVariant> guard(*this);
        ULONG fetched = 0;
        while (fetched < celt && m_position < m_items.size()) {
            VariantInit(&rgVar[fetched]);
            HRESULT hr = VariantCopy(&rgVar[fetched], &m_items[m_position]);
            if (FAILED(hr)) {
                for (ULONG i = 0; i < fetched; ++i)
                    VariantClear(&rgVar[i]);
                return hr;
            }
            ++fetched;
            ++m_position;
        }
        if (pCeltFetched)
            *pCeltFetched = fetched;
        return fetched == celt ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG celt) override
    {
        std::lock_guard<CComEnumVariant> guard(*this);
        std::size_t left = m_items.size() - m_position;
        m_position += std::min<std::size_t>(celt, left);
        return celt <= left ? S_OK : S_FALSE;
    }
    HRESULT Reset() override
    {
        std::lock_guard<CComEnumVariant> guard(*this);
        m_position = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumVARIANT** ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = nullptr;
        CComObject<CComEnumVariant>* clone = nullptr;
        HRESULT hr = CComObject<CComEnumVariant>::CreateInstance(&clone);
        if (FAILED(hr))
            return hr;
        std::lock_guard<CComEnumVariant> guard(*this);
        hr = clone->Init(m_items.data(), m_items.data() + m_items.size(), m_owner);
        if (FAILED(hr)) {
            delete clone;
            return hr;
        }
        clone->m_position = m_position;
        return clone->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(ppEnum));
    }

    // For std::lock_guard.
    void lock() { Lock(); }
    void unlock() { Unlock(); }

private:
    std::vector<VARIANT> m_items;
    std::size_t m_position = 0;
    CComPtr<IUnknown> m_owner;
};
