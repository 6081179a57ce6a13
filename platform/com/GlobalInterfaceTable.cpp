// The process's Global Interface Table. Objects here are free-threaded, so the table hands out
// the registered pointer itself (queried for the asked interface) to any apartment.

#include "platform/com/Internal.h"

#include <map>
#include <mutex>

namespace {

class GlobalInterfaceTable final : public com::ProcessObject<IGlobalInterfaceTable>
{
public:
    HRESULT RegisterInterfaceInGlobal(IUnknown* pUnk, REFIID riid, DWORD* pdwCookie) override
    {
        if (!pUnk || !pdwCookie)
            return E_INVALIDARG;
        if (!com::inApartment())
            return CO_E_NOTINITIALIZED;
        // Keep the interface that was asked for, as a caller of Get expects that one.
        void* registered = nullptr;
        HRESULT hr = pUnk->QueryInterface(riid, &registered);
        if (FAILED(hr))
            return hr;
        std::lock_guard<std::mutex> guard(m_lock);
        *pdwCookie = m_nextCookie++;
        if (m_nextCookie == 0)
            m_nextCookie = 0x100;
        m_entries[*pdwCookie] = {static_cast<IUnknown*>(registered), riid};
        return S_OK;
    }

    HRESULT RevokeInterfaceFromGlobal(DWORD dwCookie) override
    {
        if (!com::inApartment())
            return CO_E_NOTINITIALIZED;
        IUnknown* object = take(dwCookie, true);
        if (!object)
            return E_INVALIDARG;
        object->Release();
        return S_OK;
    }

    HRESULT GetInterfaceFromGlobal(DWORD dwCookie, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_INVALIDARG;
        *ppv = nullptr;
        if (!com::inApartment())
            return CO_E_NOTINITIALIZED;
        IUnknown* object = take(dwCookie, false);
        if (!object)
            return E_INVALIDARG;
        HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }

private:
    // The object of a cookie (null for an unknown cookie) with a reference for the caller to
    // release: a revoke takes the table's own as the entry leaves; otherwise a new one keeps the
    // object alive past a concurrent revoke.
    IUnknown* take(DWORD cookie, bool revoke)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto it = m_entries.find(cookie);
        if (it == m_entries.end())
            return nullptr;
        IUnknown* object = it->second.object;
        if (revoke)
            m_entries.erase(it);
        else
            object->AddRef();
        return object;
    }

    struct Entry
    {
        IUnknown* object;
        IID iid;
    };
    std::mutex m_lock;
    std::map<DWORD, Entry> m_entries;
    DWORD m_nextCookie = 0x100;
};

} // namespace

IGlobalInterfaceTable* com::globalInterfaceTable()
{
    static GlobalInterfaceTable table;
    return &table;
}
