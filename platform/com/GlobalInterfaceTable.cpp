// The process's Global Interface Table. Objects here are free-threaded, so the table hands out
// the registered pointer itself (queried for the asked interface) to any apartment.

#include "platform/com/Internal.h"

#include <map>
#include <mutex>

namespace {

class GlobalInterfaceTable final : public IGlobalInterfaceTable
{
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IGlobalInterfaceTable) {
            *ppv = static_cast<IGlobalInterfaceTable*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // The table lives as long as the process.
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }

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
        IUnknown* object = nullptr;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            auto it = m_entries.find(dwCookie);
            if (it == m_entries.end())
                return E_INVALIDARG;
            object = it->second.object;
            m_entries.erase(it);
        }
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
        IUnknown* object = nullptr;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            auto it = m_entries.find(dwCookie);
            if (it == m_entries.end())
                return E_INVALIDARG;
            object = it->second.object;
            object->AddRef(); // keeps it alive past a concurrent revoke
        }
        HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }

private:
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
