// The process's Global Interface Table. An object registered from the multithreaded apartment
// is handed out itself (queried for the asked interface) to any apartment. One registered from a
// single-threaded apartment is handed to other threads as a proxy whose calls run on the
// apartment's thread, as COM's marshalling does, when its interface is described to the process
// (a dual interface of a loaded type library); an interface without a description is handed out
// itself.

#include "platform/com/Apartment.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Internal.h"

#include <atomic>
#include <map>
#include <mutex>
#include <vector>

struct com::ApartmentProxy
{
    void* const* vtable; // first, where a C++ interface pointer keeps its vtable
    std::atomic<ULONG> references;
    IUnknown* target; // the object's interface, one reference held
    IID iid;
    std::shared_ptr<CallQueue> apartment;
};

HRESULT com::callInApartment(ApartmentProxy* proxy, HRESULT (*call)(void*, IUnknown*),
                             void* context)
{
    return proxy->apartment->run(call, context, proxy->target);
}

namespace {

using com::ApartmentProxy;

HRESULT proxyQueryInterface(ApartmentProxy* self, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != self->iid && riid != IID_IDispatch)
        return E_NOINTERFACE;
    ++self->references;
    *ppv = self;
    return S_OK;
}

ULONG proxyAddRef(ApartmentProxy* self)
{
    return ++self->references;
}

ULONG proxyRelease(ApartmentProxy* self)
{
    ULONG count = --self->references;
    if (count == 0) {
        // The object is released on its own thread too, while its apartment lasts.
        HRESULT hr = com::callInApartment(
            self, [](void*, IUnknown* target) -> HRESULT { return HRESULT(target->Release()); },
            nullptr);
        if (hr == RPC_E_DISCONNECTED)
            self->target->Release();
        delete self;
    }
    return count;
}

HRESULT proxyNotImplemented()
{
    return E_NOTIMPL;
}

// The proxy's vtable for a described interface, made once.
void* const* proxyVtable(const com::DispatchTable& table)
{
    static std::mutex lock;
    // Never destroyed, as the proxies may outlive the process's statics.
    static auto& vtables = *new std::map<const com::DispatchTable*, std::vector<void*>>;
    std::lock_guard<std::mutex> guard(lock);
    // Laid out as the compiler lays out a vtable: the offset to the object's top and its type
    // come before the slots.
    std::vector<void*>& slots = vtables[&table];
    if (slots.empty()) {
        using namespace com::detail;
        std::vector<std::pair<int, void*>> members = {
            {0, reinterpret_cast<void*>(&proxyQueryInterface)},
            {1, reinterpret_cast<void*>(&proxyAddRef)},
            {2, reinterpret_cast<void*>(&proxyRelease)},
            {vtableSlot<&IDispatch::GetTypeInfoCount>(), proxySlot<&IDispatch::GetTypeInfoCount>()},
            {vtableSlot<&IDispatch::GetTypeInfo>(), proxySlot<&IDispatch::GetTypeInfo>()},
            {vtableSlot<&IDispatch::GetIDsOfNames>(), proxySlot<&IDispatch::GetIDsOfNames>()},
            {vtableSlot<&IDispatch::Invoke>(), proxySlot<&IDispatch::Invoke>()}};
        for (const com::DispatchEntry& e : table.entries)
            if (e.slot >= 0)
                members.emplace_back(e.slot, e.proxy);
        int count = 0;
        for (const auto& [slot, function] : members)
            count = std::max(count, slot + 1);
        const std::type_info* type = &typeid(IDispatch);
        for (const com::DispatchEntry& e : table.entries)
            if (e.slot >= 0 && e.owner)
                type = e.owner;
        slots.assign(std::size_t(count) + 2, reinterpret_cast<void*>(&proxyNotImplemented));
        slots[0] = nullptr;
        slots[1] = const_cast<std::type_info*>(type);
        for (const auto& [slot, function] : members)
            slots[std::size_t(slot) + 2] = function;
    }
    return slots.data() + 2;
}

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
        m_entries[*pdwCookie] = {static_cast<IUnknown*>(registered), riid, com::currentCallQueue()};
        return S_OK;
    }

    HRESULT RevokeInterfaceFromGlobal(DWORD dwCookie) override
    {
        if (!com::inApartment())
            return CO_E_NOTINITIALIZED;
        Entry entry;
        if (!take(dwCookie, true, &entry))
            return E_INVALIDARG;
        entry.object->Release();
        return S_OK;
    }

    HRESULT GetInterfaceFromGlobal(DWORD dwCookie, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_INVALIDARG;
        *ppv = nullptr;
        if (!com::inApartment())
            return CO_E_NOTINITIALIZED;
        Entry entry;
        if (!take(dwCookie, false, &entry))
            return E_INVALIDARG;
        const com::DispatchTable* table = nullptr;
        if (entry.apartment && entry.apartment != com::currentCallQueue())
            table = com::dispatchTableOf(riid);
        HRESULT hr = entry.object->QueryInterface(riid, ppv);
        if (SUCCEEDED(hr) && table) {
            *ppv = new ApartmentProxy{proxyVtable(*table), 1, static_cast<IUnknown*>(*ppv), riid,
                                      entry.apartment};
        }
        entry.object->Release();
        return hr;
    }

private:
    struct Entry
    {
        IUnknown* object;
        IID iid;
        // The single-threaded apartment it was registered from, or null.
        std::shared_ptr<com::CallQueue> apartment;
    };

    // The entry of a cookie (false for an unknown cookie), its object with a reference for the
    // caller to release: a revoke takes the table's own as the entry leaves; otherwise a new one
    // keeps the object alive past a concurrent revoke.
    bool take(DWORD cookie, bool revoke, Entry* entry)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto it = m_entries.find(cookie);
        if (it == m_entries.end())
            return false;
        *entry = it->second;
        if (revoke)
            m_entries.erase(it);
        else
            entry->object->AddRef();
        return true;
    }
    std::mutex m_lock;
    std::map<DWORD, Entry> m_entries;
    DWORD m_nextCookie = 0x100;
};

} // namespace

IGlobalInterfaceTable* com::globalInterfaceTable()
{
    // Never destroyed: the host's globals and threads still running at exit may reach it after
    // the process's statics went.
    static auto* table = new GlobalInterfaceTable;
    return table;
}
