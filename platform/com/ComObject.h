#pragma once
// Object templates (CComObject, CComObjectNoLock, CComContainedObject, CComAggObject), creators
// with the aggregation policy, the class factory, CComCoClass and ISupportErrorInfoImpl.

#include "platform/com/Module.h"
#include "platform/com/ObjectRoot.h"

#include <cstdint>
#include <new>

namespace com::detail {
// Release of an object that deletes itself when the count reaches 0.
template <class T> ULONG releaseOwned(T* object)
{
    ULONG count = object->InternalRelease();
    if (count == 0)
        delete object;
    return count;
}

// The steps of a new object: it learns its outer object (pv), then FinalConstruct runs under a
// guarding reference.
template <class T> HRESULT finalConstruct(T* object, void* pv)
{
    object->SetVoid(pv);
    object->InternalFinalConstructAddRef();
    HRESULT hr = object->FinalConstruct();
    object->InternalFinalConstructRelease();
    return hr;
}
} // namespace com::detail

// A creatable object: counts in the module's lock count while it lives.
template <class Base> class CComObject final : public Base
{
public:
    using _BaseClass = Base;
    explicit CComObject(void* = nullptr) { com::atlModule().Lock(); }
    ~CComObject()
    {
        this->m_dwRef = -(INT32_MAX / 2); // a stray AddRef/Release in FinalRelease cannot delete
        this->FinalRelease();
        com::atlModule().Unlock();
    }
    ULONG AddRef() override { return this->InternalAddRef(); }
    ULONG Release() override { return com::detail::releaseOwned(this); }
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        return CComObjectRootBase::InternalQueryInterface(this, Base::_GetEntries(), riid, ppv);
    }
    template <class Q> HRESULT QueryInterface(Q** pp)
    {
        return QueryInterface(com::uuidof<Q>(), reinterpret_cast<void**>(pp));
    }
    // A new object with reference count 0 after FinalConstruct.
    static HRESULT CreateInstance(CComObject<Base>** pp);
};

template <class Base> HRESULT CComObject<Base>::CreateInstance(CComObject<Base>** pp)
{
    if (!pp)
        return E_POINTER;
    *pp = nullptr;
    auto* p = new (std::nothrow) CComObject<Base>();
    if (!p)
        return E_OUTOFMEMORY;
    HRESULT hr = com::detail::finalConstruct(p, nullptr);
    if (FAILED(hr)) {
        delete p;
        return hr;
    }
    *pp = p;
    return S_OK;
}

// An object that does not count in the module's lock count (class factories).
template <class Base> class CComObjectNoLock final : public Base
{
public:
    using _BaseClass = Base;
    explicit CComObjectNoLock(void* = nullptr) {}
    ~CComObjectNoLock()
    {
        this->m_dwRef = -(INT32_MAX / 2);
        this->FinalRelease();
    }
    ULONG AddRef() override { return this->InternalAddRef(); }
    ULONG Release() override { return com::detail::releaseOwned(this); }
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        return CComObjectRootBase::InternalQueryInterface(this, Base::_GetEntries(), riid, ppv);
    }
};

// The inner part of an aggregated object: its IUnknown calls go to the outer object.
template <class Base> class CComContainedObject : public Base
{
public:
    using _BaseClass = Base;
    explicit CComContainedObject(void* outer)
    {
        this->m_pOuterUnknown = static_cast<IUnknown*>(outer);
    }
    ULONG AddRef() override { return this->OuterAddRef(); }
    ULONG Release() override { return this->OuterRelease(); }
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        return this->OuterQueryInterface(riid, ppv);
    }
    HRESULT _InternalQueryInterface(REFIID riid, void** ppv)
    {
        return CComObjectRootBase::InternalQueryInterface(this, Base::_GetEntries(), riid, ppv);
    }
};

// An aggregated object: this is the inner (non-delegating) IUnknown the outer object holds.
template <class contained>
class CComAggObject final
    : public IUnknown,
      public CComObjectRootEx<typename contained::_ThreadModel::ThreadModelNoCS>
{
public:
    explicit CComAggObject(void* outer) : m_contained(outer) { com::atlModule().Lock(); }
    ~CComAggObject()
    {
        this->m_dwRef = -(INT32_MAX / 2);
        m_contained.FinalRelease();
        com::atlModule().Unlock();
    }
    HRESULT FinalConstruct() { return m_contained.FinalConstruct(); }
    void SetVoid(void* pv) { m_contained.SetVoid(pv); }
    void InternalFinalConstructAddRef() { m_contained.InternalFinalConstructAddRef(); }
    void InternalFinalConstructRelease() { m_contained.InternalFinalConstructRelease(); }
    ULONG AddRef() override { return this->InternalAddRef(); }
    ULONG Release() override { return com::detail::releaseOwned(this); }
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return m_contained._InternalQueryInterface(riid, ppv);
    }

    CComContainedObject<contained> m_contained;
};

template <class T1> struct CComCreator
{
    static HRESULT CreateInstance(void* pv, REFIID riid, void** ppv)
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        T1* p = new (std::nothrow) T1(pv);
        if (!p)
            return E_OUTOFMEMORY;
        HRESULT hr = com::detail::finalConstruct(p, pv);
        if (SUCCEEDED(hr))
            hr = p->QueryInterface(riid, ppv);
        if (FAILED(hr))
            delete p;
        return hr;
    }
};

template <HRESULT hr> struct CComFailCreator
{
    static HRESULT CreateInstance(void*, REFIID, void** ppv)
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        return hr;
    }
};

// T1 without an outer object (pv null), T2 with one.
template <class T1, class T2> struct CComCreator2
{
    static HRESULT CreateInstance(void* pv, REFIID riid, void** ppv)
    {
        return pv ? T2::CreateInstance(pv, riid, ppv) : T1::CreateInstance(nullptr, riid, ppv);
    }
};

// Aggregation policies for a class's _CreatorClass.
template <class T>
using CComAggregatable = CComCreator2<CComCreator<CComObject<T>>, CComCreator<CComAggObject<T>>>;
template <class T>
using CComNotAggregatable =
    CComCreator2<CComCreator<CComObject<T>>, CComFailCreator<CLASS_E_NOAGGREGATION>>;

using _ATL_CREATORFUNC = HRESULT (*)(void* pv, REFIID riid, void** ppv);

// The class factory: creates through the class's creator; LockServer counts in the module.
class CComClassFactory : public IClassFactory, public CComObjectRootEx<CComGlobalsThreadModel>
{
public:
    static const _ATL_INTMAP_ENTRY* _GetEntries()
    {
        static constexpr _ATL_INTMAP_ENTRY entries[] = {
            com::interfaceEntry<CComClassFactory, IClassFactory>(), com::interfaceMapEnd()};
        return entries;
    }
    void SetVoid(void* pv) { m_pfnCreateInstance = reinterpret_cast<_ATL_CREATORFUNC>(pv); }

    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer && riid != IID_IUnknown)
            return CLASS_E_NOAGGREGATION;
        return m_pfnCreateInstance(outer, riid, ppv);
    }
    HRESULT LockServer(BOOL lock) override
    {
        if (lock)
            com::atlModule().Lock();
        else
            com::atlModule().Unlock();
        return S_OK;
    }

    _ATL_CREATORFUNC m_pfnCreateInstance = nullptr;
};

// The coclass face of a class: class identifier, creators (aggregatable unless the class
// declares `using _CreatorClass = CComNotAggregatable<T>;`) and registration (the class may
// declare `static const char* registryScript()`).
template <class T, const CLSID* pclsid = &CLSID_NULL> class CComCoClass
{
public:
    using _CreatorClass = CComAggregatable<T>;
    using _ClassFactoryCreatorClass = CComCreator<CComObjectNoLock<CComClassFactory>>;

    static const CLSID& GetObjectCLSID() { return *pclsid; }
    static const char* registryScript() { return nullptr; }
    static HRESULT UpdateRegistry(BOOL doRegister)
    {
        const char* script = T::registryScript();
        return script ? com::atlModule().UpdateRegistryFromScript(script, doRegister != FALSE)
                      : S_OK;
    }
    template <class Q> static HRESULT CreateInstance(IUnknown* outer, Q** pp)
    {
        return T::_CreatorClass::CreateInstance(outer, com::uuidof<Q>(),
                                                reinterpret_cast<void**>(pp));
    }
    template <class Q> static HRESULT CreateInstance(Q** pp) { return CreateInstance(nullptr, pp); }
};

namespace com {
// The object-map entry of a class derived from CComCoClass.
template <class T> _ATL_OBJMAP_ENTRY objectEntry()
{
    return {&T::GetObjectCLSID(), &T::UpdateRegistry, &T::_ClassFactoryCreatorClass::CreateInstance,
            &T::_CreatorClass::CreateInstance, nullptr};
}
inline _ATL_OBJMAP_ENTRY objectMapEnd()
{
    return {nullptr, nullptr, nullptr, nullptr, nullptr};
}
} // namespace com

template <const IID* piid> class ISupportErrorInfoImpl : public ISupportErrorInfo
{
public:
    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override
    {
        return riid == *piid ? S_OK : S_FALSE;
    }
};
