#pragma once
// Interface maps as tables, and the object roots that count references under a thread model.

#include "platform/com/ThreadModel.h"
#include "platform/com/Unknown.h"

class CComObjectRootBase;

// One interface of a class: its identifier and the cast from the object root to it.
// A map ends with an entry whose piid is null; its first entry is the object's IUnknown.
struct _ATL_INTMAP_ENTRY
{
    const IID* piid;
    void* (*cast)(CComObjectRootBase* root);
};

namespace com {
// Interface I of class T, reached through Via where I is ambiguous (IDispatch through a dual
// interface).
template <class T, class I, class Via = I> constexpr _ATL_INTMAP_ENTRY interfaceEntry()
{
    return {&uuidof<I>(), [](CComObjectRootBase* root) -> void* {
                return static_cast<I*>(static_cast<Via*>(static_cast<T*>(root)));
            }};
}
constexpr _ATL_INTMAP_ENTRY interfaceMapEnd()
{
    return {nullptr, nullptr};
}
} // namespace com

class COM_VISIBLE CComObjectRootBase
{
public:
    HRESULT FinalConstruct() { return S_OK; }
    void FinalRelease() {}
    void InternalFinalConstructAddRef() {}
    void InternalFinalConstructRelease() {}
    void SetVoid(void*) {}

    // QueryInterface through a map: IID_IUnknown gives the first entry.
    static HRESULT InternalQueryInterface(CComObjectRootBase* root,
                                          const _ATL_INTMAP_ENTRY* entries, REFIID riid,
                                          void** ppv);

    ULONG OuterAddRef() { return m_pOuterUnknown->AddRef(); }
    ULONG OuterRelease() { return m_pOuterUnknown->Release(); }
    HRESULT OuterQueryInterface(REFIID riid, void** ppv)
    {
        return m_pOuterUnknown->QueryInterface(riid, ppv);
    }

    LONG m_dwRef = 0;
    IUnknown* m_pOuterUnknown = nullptr;
};

template <class ThreadModel> class CComObjectRootEx : public CComObjectRootBase
{
public:
    using _ThreadModel = ThreadModel;
    using _CritSec = typename ThreadModel::AutoCriticalSection;

    ULONG InternalAddRef() { return ThreadModel::Increment(&m_dwRef); }
    ULONG InternalRelease() { return ThreadModel::Decrement(&m_dwRef); }
    void Lock() { m_critsec.Lock(); }
    void Unlock() { m_critsec.Unlock(); }

    _CritSec m_critsec;
};
