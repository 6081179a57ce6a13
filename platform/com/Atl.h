#pragma once
// The class framework over the runtime: smart pointers and wrappers (CComPtr, CComQIPtr,
// CComBSTR, CComVariant), object roots with a thread-model policy, the object templates
// (CComObject, CComAggObject, CComContainedObject), creators with the aggregation policy, the
// class factory with its lock count, interface maps as tables, the dispatch implementation over
// a table of dispatch identifiers, ISupportErrorInfoImpl, the copying VARIANT enumerator and the
// module object (object map, registration, lock count for DllCanUnloadNow).
//
// Each shared object that uses the framework has its own module (the accessor below has hidden
// visibility), so that DllCanUnloadNow counts the objects of that library only.

#include "platform/com/Com.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Smart pointers

template <class T> class CComPtr
{
public:
    CComPtr() noexcept = default;
    CComPtr(T* p) noexcept : p(p)
    {
        if (p)
            p->AddRef();
    }
    CComPtr(const CComPtr& other) noexcept : CComPtr(other.p) {}
    CComPtr(CComPtr&& other) noexcept : p(other.p) { other.p = nullptr; }
    ~CComPtr() { Release(); }

    CComPtr& operator=(T* other) noexcept
    {
        if (other)
            other->AddRef();
        T* old = p;
        p = other;
        if (old)
            old->Release();
        return *this;
    }
    CComPtr& operator=(const CComPtr& other) noexcept { return *this = other.p; }
    CComPtr& operator=(CComPtr&& other) noexcept
    {
        if (this != std::addressof(other)) {
            Release();
            p = other.p;
            other.p = nullptr;
        }
        return *this;
    }

    operator T*() const noexcept { return p; }
    T* operator->() const noexcept { return p; }
    T& operator*() const noexcept { return *p; }
    // For out arguments: the pointer must be empty.
    T** operator&() noexcept { return &p; }
    bool operator!() const noexcept { return p == nullptr; }

    void Release() noexcept
    {
        T* old = p;
        if (old) {
            p = nullptr;
            old->Release();
        }
    }
    void Attach(T* other) noexcept
    {
        Release();
        p = other;
    }
    T* Detach() noexcept
    {
        T* old = p;
        p = nullptr;
        return old;
    }
    HRESULT CopyTo(T** out) const noexcept
    {
        if (!out)
            return E_POINTER;
        *out = p;
        if (p)
            p->AddRef();
        return S_OK;
    }
    template <class Q> HRESULT QueryInterface(Q** out) const noexcept
    {
        return p->QueryInterface(com::uuidof<Q>(), reinterpret_cast<void**>(out));
    }
    HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer = nullptr,
                             DWORD context = CLSCTX_ALL) noexcept
    {
        Release();
        return ::CoCreateInstance(clsid, outer, context, com::uuidof<T>(),
                                  reinterpret_cast<void**>(&p));
    }
    // Same object identity (compared through IUnknown).
    bool IsEqualObject(IUnknown* other) const noexcept;

    T* p = nullptr;
};

template <class T> bool CComPtr<T>::IsEqualObject(IUnknown* other) const noexcept
{
    if (!p || !other)
        return p == nullptr && other == nullptr;
    IUnknown* a = nullptr;
    IUnknown* b = nullptr;
    p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
    other->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
    bool same = a == b;
    if (a)
        a->Release();
    if (b)
        b->Release();
    return same;
}

// A CComPtr that queries what it is given for its interface.
template <class T, const IID* piid = &T::iid> class CComQIPtr : public CComPtr<T>
{
public:
    CComQIPtr() noexcept = default;
    CComQIPtr(T* p) noexcept : CComPtr<T>(p) {}
    CComQIPtr(const CComQIPtr& other) noexcept : CComPtr<T>(other.p) {}
    CComQIPtr(IUnknown* unknown) noexcept requires(!std::is_same_v<T, IUnknown>)
    {
        if (unknown)
            unknown->QueryInterface(*piid, reinterpret_cast<void**>(&this->p));
    }
    CComQIPtr& operator=(T* other) noexcept
    {
        CComPtr<T>::operator=(other);
        return *this;
    }
    CComQIPtr& operator=(const CComQIPtr& other) noexcept
    {
        CComPtr<T>::operator=(other.p);
        return *this;
    }
    CComQIPtr& operator=(IUnknown* unknown) noexcept requires(!std::is_same_v<T, IUnknown>)
    {
        T* found = nullptr;
        if (unknown)
            unknown->QueryInterface(*piid, reinterpret_cast<void**>(&found));
        this->Attach(found);
        return *this;
    }
};

// ---------------------------------------------------------------------------------------------
// CComBSTR

class CComBSTR
{
public:
    CComBSTR() noexcept = default;
    CComBSTR(LPCOLESTR text) : m_str(text ? SysAllocString(text) : nullptr) {}
    CComBSTR(int length, LPCOLESTR text) : m_str(SysAllocStringLen(text, static_cast<UINT>(length)))
    {
    }
    // From UTF-8 text.
    CComBSTR(const char* text);
    CComBSTR(std::u16string_view text)
        : m_str(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
    }
    CComBSTR(const CComBSTR& other) : m_str(other.Copy()) {}
    CComBSTR(CComBSTR&& other) noexcept : m_str(other.m_str) { other.m_str = nullptr; }
    ~CComBSTR() { SysFreeString(m_str); }

    CComBSTR& operator=(const CComBSTR& other)
    {
        if (this != std::addressof(other)) {
            BSTR copy = other.Copy();
            SysFreeString(m_str);
            m_str = copy;
        }
        return *this;
    }
    CComBSTR& operator=(CComBSTR&& other) noexcept
    {
        if (this != std::addressof(other)) {
            SysFreeString(m_str);
            m_str = other.m_str;
            other.m_str = nullptr;
        }
        return *this;
    }
    CComBSTR& operator=(LPCOLESTR text)
    {
        BSTR copy = text ? SysAllocString(text) : nullptr;
        SysFreeString(m_str);
        m_str = copy;
        return *this;
    }

    operator BSTR() const noexcept { return m_str; }
    // For out arguments: the string must be empty.
    BSTR* operator&() noexcept { return &m_str; }
    bool operator!() const noexcept { return m_str == nullptr; }

    unsigned int Length() const noexcept { return SysStringLen(m_str); }
    unsigned int ByteLength() const noexcept { return SysStringByteLen(m_str); }
    BSTR Copy() const
    {
        return m_str ? SysAllocStringByteLen(reinterpret_cast<const char*>(m_str), ByteLength())
                     : nullptr;
    }
    HRESULT CopyTo(BSTR* out) const
    {
        if (!out)
            return E_POINTER;
        *out = Copy();
        return (m_str && !*out) ? E_OUTOFMEMORY : S_OK;
    }
    void Attach(BSTR other) noexcept
    {
        if (other != m_str) {
            SysFreeString(m_str);
            m_str = other;
        }
    }
    BSTR Detach() noexcept
    {
        BSTR old = m_str;
        m_str = nullptr;
        return old;
    }
    void Empty() noexcept
    {
        SysFreeString(m_str);
        m_str = nullptr;
    }
    HRESULT Append(const OLECHAR* text, int length);
    HRESULT Append(LPCOLESTR text) { return Append(text, static_cast<int>(com::olestrlen(text))); }
    HRESULT Append(const CComBSTR& other) { return Append(other.m_str, other.Length()); }
    CComBSTR& operator+=(const CComBSTR& other)
    {
        Append(other);
        return *this;
    }
    // Upper- and lower-casing of the characters of the Basic Latin and Latin-1 ranges.
    HRESULT ToUpper();
    HRESULT ToLower();
    std::string toUtf8() const { return com::utf8FromUtf16(com::bstrView(m_str)); }

    // Comparison as the platform's wide-string compare: 16-bit characters as unsigned values,
    // up to the first zero; a null string sorts before every other and equals only a null one.
    static int compare(BSTR a, BSTR b) noexcept;
    bool operator==(const CComBSTR& other) const noexcept
    {
        return compare(m_str, other.m_str) == 0;
    }
    bool operator<(const CComBSTR& other) const noexcept { return compare(m_str, other.m_str) < 0; }

    BSTR m_str = nullptr;
};

// ---------------------------------------------------------------------------------------------
// CComVariant

class CComVariant : public VARIANT
{
public:
    CComVariant() noexcept { VariantInit(this); }
    CComVariant(const VARIANT& src)
    {
        VariantInit(this);
        InternalCopy(&src);
    }
    CComVariant(const CComVariant& src) : CComVariant(static_cast<const VARIANT&>(src)) {}
    CComVariant(CComVariant&& src) noexcept
    {
        *static_cast<VARIANT*>(this) = src;
        VariantInit(&src);
    }
    CComVariant(LPCOLESTR text)
    {
        vt = VT_BSTR;
        bstrVal = SysAllocString(text);
        CheckAlloc();
    }
    CComVariant(const char* text);
    CComVariant(const CComBSTR& text)
    {
        vt = VT_BSTR;
        bstrVal = text.Copy();
        if (text.m_str)
            CheckAlloc();
    }
    CComVariant(bool value) noexcept
    {
        vt = VT_BOOL;
        boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    CComVariant(BYTE value) noexcept
    {
        VariantInit(this);
        vt = VT_UI1;
        bVal = value;
    }
    CComVariant(SHORT value) noexcept
    {
        VariantInit(this);
        vt = VT_I2;
        iVal = value;
    }
    // VT_I4, or VT_ERROR for an error code.
    CComVariant(LONG value, VARTYPE type = VT_I4) noexcept
    {
        VariantInit(this);
        vt = type == VT_ERROR ? VT_ERROR : VT_I4;
        lVal = value;
    }
    CComVariant(ULONG value) noexcept
    {
        VariantInit(this);
        vt = VT_UI4;
        ulVal = value;
    }
    CComVariant(LONGLONG value) noexcept
    {
        VariantInit(this);
        vt = VT_I8;
        llVal = value;
    }
    CComVariant(FLOAT value) noexcept
    {
        VariantInit(this);
        vt = VT_R4;
        fltVal = value;
    }
    // VT_R8, or VT_DATE for a date.
    CComVariant(DOUBLE value, VARTYPE type = VT_R8) noexcept
    {
        VariantInit(this);
        vt = type == VT_DATE ? VT_DATE : VT_R8;
        dblVal = value;
    }
    CComVariant(CY value) noexcept
    {
        VariantInit(this);
        vt = VT_CY;
        cyVal = value;
    }
    CComVariant(IDispatch* value) noexcept;
    CComVariant(IUnknown* value) noexcept;
    ~CComVariant() { Clear(); }

    CComVariant& operator=(const CComVariant& src)
    {
        if (this != &src)
            InternalCopy(&src);
        return *this;
    }
    CComVariant& operator=(const VARIANT& src)
    {
        if (static_cast<VARIANT*>(this) != &src)
            InternalCopy(&src);
        return *this;
    }
    CComVariant& operator=(CComVariant&& src) noexcept
    {
        if (this != &src) {
            Clear();
            *static_cast<VARIANT*>(this) = src;
            VariantInit(&src);
        }
        return *this;
    }

    HRESULT Clear() { return VariantClear(this); }
    HRESULT Copy(const VARIANT* src) { return VariantCopy(this, src); }
    HRESULT Attach(VARIANT* src)
    {
        HRESULT hr = Clear();
        if (FAILED(hr))
            return hr;
        *static_cast<VARIANT*>(this) = *src;
        src->vt = VT_EMPTY;
        return S_OK;
    }
    HRESULT Detach(VARIANT* dest)
    {
        HRESULT hr = VariantClear(dest);
        if (FAILED(hr))
            return hr;
        *dest = *this;
        vt = VT_EMPTY;
        return S_OK;
    }
    // Converts in place (or from src into this).
    HRESULT ChangeType(VARTYPE type, const VARIANT* src = nullptr)
    {
        return VariantChangeType(this, src ? src : this, 0, type);
    }
    bool operator==(const VARIANT& other) const noexcept;

private:
    void InternalCopy(const VARIANT* src)
    {
        HRESULT hr = Copy(src);
        if (FAILED(hr)) {
            vt = VT_ERROR;
            scode = hr;
        }
    }
    void CheckAlloc()
    {
        if (!bstrVal) {
            vt = VT_ERROR;
            scode = E_OUTOFMEMORY;
        }
    }
};

// ---------------------------------------------------------------------------------------------
// Thread models and critical sections

// A recursive lock, as the platform's critical sections are.
class CComCriticalSection
{
public:
    HRESULT Init() { return S_OK; }
    HRESULT Term() { return S_OK; }
    HRESULT Lock()
    {
        m_mutex.lock();
        return S_OK;
    }
    HRESULT Unlock()
    {
        m_mutex.unlock();
        return S_OK;
    }

private:
    std::recursive_mutex m_mutex;
};
using CComAutoCriticalSection = CComCriticalSection;

class CComFakeCriticalSection
{
public:
    HRESULT Init() { return S_OK; }
    HRESULT Term() { return S_OK; }
    HRESULT Lock() { return S_OK; }
    HRESULT Unlock() { return S_OK; }
};

struct CComMultiThreadModelNoCS
{
    static ULONG Increment(LONG* p) noexcept
    {
        return static_cast<ULONG>(__atomic_add_fetch(p, 1, __ATOMIC_ACQ_REL));
    }
    static ULONG Decrement(LONG* p) noexcept
    {
        return static_cast<ULONG>(__atomic_sub_fetch(p, 1, __ATOMIC_ACQ_REL));
    }
    using AutoCriticalSection = CComFakeCriticalSection;
    using CriticalSection = CComFakeCriticalSection;
    using ThreadModelNoCS = CComMultiThreadModelNoCS;
};

struct CComMultiThreadModel
{
    static ULONG Increment(LONG* p) noexcept { return CComMultiThreadModelNoCS::Increment(p); }
    static ULONG Decrement(LONG* p) noexcept { return CComMultiThreadModelNoCS::Decrement(p); }
    using AutoCriticalSection = CComAutoCriticalSection;
    using CriticalSection = CComCriticalSection;
    using ThreadModelNoCS = CComMultiThreadModelNoCS;
};

struct CComSingleThreadModel
{
    static ULONG Increment(LONG* p) noexcept { return static_cast<ULONG>(++*p); }
    static ULONG Decrement(LONG* p) noexcept { return static_cast<ULONG>(--*p); }
    using AutoCriticalSection = CComFakeCriticalSection;
    using CriticalSection = CComFakeCriticalSection;
    using ThreadModelNoCS = CComSingleThreadModel;
};

using CComObjectThreadModel = CComMultiThreadModel;
using CComGlobalsThreadModel = CComMultiThreadModel;

// ---------------------------------------------------------------------------------------------
// Interface maps and object roots

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

class CComObjectRootBase
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

// ---------------------------------------------------------------------------------------------
// Module

struct _ATL_OBJMAP_ENTRY
{
    const CLSID* pclsid;
    HRESULT (*pfnUpdateRegistry)(BOOL doRegister);
    HRESULT (*pfnGetClassObject)(void* pv, REFIID riid, void** ppv);
    HRESULT (*pfnCreateInstance)(void* pv, REFIID riid, void** ppv);
    IUnknown* pCF; // the cached class factory
};

class CComModule;

namespace com {
CComModule& atlModule();
}

// The module of one shared object: the object map, the lock count and registration.
class CComModule
{
public:
    CComModule();
    // The default module of a shared object without a module of its own: not registered.
    struct Fallback
    {
    };
    explicit CComModule(Fallback) {}
    ~CComModule();
    CComModule(const CComModule&) = delete;
    CComModule& operator=(const CComModule&) = delete;

    // The map ends with an entry whose pclsid is null.
    HRESULT Init(_ATL_OBJMAP_ENTRY* objectMap, const GUID* libid = nullptr);
    // Releases the cached class factories.
    void Term();

    LONG Lock() { return ++m_lockCount; }
    LONG Unlock() { return --m_lockCount; }
    LONG GetLockCount() const { return m_lockCount.load(); }

    // One factory per class, created on first request; CLASS_E_CLASSNOTAVAILABLE for a class
    // outside the map.
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
    // Runs each class's registration, then registers the type library when one is given;
    // the first failure is returned.
    HRESULT RegisterServer(const com::TypeLibrary* typeLibrary = nullptr);
    HRESULT UnregisterServer(const com::TypeLibrary* typeLibrary = nullptr);
    HRESULT DllCanUnloadNow() const { return GetLockCount() == 0 ? S_OK : S_FALSE; }

    // Runs a registration script with %MODULE% replaced by the module's full path.
    HRESULT UpdateRegistryFromScript(std::string_view script, bool doRegister);
    // Full path of the shared object this module belongs to.
    std::string GetModuleFileName() const;

private:
    std::atomic<LONG> m_lockCount{0};
    _ATL_OBJMAP_ENTRY* m_objectMap = nullptr;
    const GUID* m_libid = nullptr;
    std::mutex m_mapLock;
};

namespace com {
// The module registered by a CComModule of this shared object, else a default one.
__attribute__((visibility("hidden"))) inline CComModule* g_currentModule = nullptr;
__attribute__((visibility("hidden"))) inline CComModule& atlModule()
{
    if (g_currentModule)
        return *g_currentModule;
    static CComModule fallback{CComModule::Fallback{}};
    return fallback;
}
} // namespace com

inline CComModule::CComModule()
{
    if (!com::g_currentModule)
        com::g_currentModule = this;
}

inline CComModule::~CComModule()
{
    Term();
    if (com::g_currentModule == this)
        com::g_currentModule = nullptr;
}

inline HRESULT CComModule::Init(_ATL_OBJMAP_ENTRY* objectMap, const GUID* libid)
{
    m_objectMap = objectMap;
    m_libid = libid;
    return S_OK;
}

inline void CComModule::Term()
{
    std::lock_guard<std::mutex> guard(m_mapLock);
    for (_ATL_OBJMAP_ENTRY* e = m_objectMap; e && e->pclsid; ++e) {
        if (e->pCF) {
            e->pCF->Release();
            e->pCF = nullptr;
        }
    }
}

inline HRESULT CComModule::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    std::lock_guard<std::mutex> guard(m_mapLock);
    for (_ATL_OBJMAP_ENTRY* e = m_objectMap; e && e->pclsid; ++e) {
        if (*e->pclsid != clsid)
            continue;
        if (!e->pCF) {
            HRESULT hr = e->pfnGetClassObject(reinterpret_cast<void*>(e->pfnCreateInstance),
                                              IID_IUnknown, reinterpret_cast<void**>(&e->pCF));
            if (FAILED(hr))
                return hr;
        }
        return e->pCF->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

inline HRESULT CComModule::RegisterServer(const com::TypeLibrary* typeLibrary)
{
    for (_ATL_OBJMAP_ENTRY* e = m_objectMap; e && e->pclsid; ++e) {
        HRESULT hr = e->pfnUpdateRegistry(TRUE);
        if (FAILED(hr))
            return hr;
    }
    return typeLibrary ? com::registerTypeLibrary(*typeLibrary, GetModuleFileName()) : S_OK;
}

inline HRESULT CComModule::UnregisterServer(const com::TypeLibrary* typeLibrary)
{
    for (_ATL_OBJMAP_ENTRY* e = m_objectMap; e && e->pclsid; ++e) {
        HRESULT hr = e->pfnUpdateRegistry(FALSE);
        if (FAILED(hr))
            return hr;
    }
    return typeLibrary ? com::unregisterTypeLibrary(*typeLibrary) : S_OK;
}

inline std::string CComModule::GetModuleFileName() const
{
    return com::modulePathOf(reinterpret_cast<const void*>(&com::atlModule));
}

namespace com {
HRESULT runRegistrationScript(std::string_view script, bool doRegister,
                              const std::string& modulePath);
}

inline HRESULT CComModule::UpdateRegistryFromScript(std::string_view script, bool doRegister)
{
    return com::runRegistrationScript(script, doRegister, GetModuleFileName());
}

// ---------------------------------------------------------------------------------------------
// Object templates

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
    ULONG Release() override
    {
        ULONG count = this->InternalRelease();
        if (count == 0)
            delete this;
        return count;
    }
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
    p->SetVoid(nullptr);
    p->InternalFinalConstructAddRef();
    HRESULT hr = p->FinalConstruct();
    p->InternalFinalConstructRelease();
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
    ULONG Release() override
    {
        ULONG count = this->InternalRelease();
        if (count == 0)
            delete this;
        return count;
    }
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
    IUnknown* GetControllingUnknown() { return this->m_pOuterUnknown; }
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
    ULONG Release() override
    {
        ULONG count = this->InternalRelease();
        if (count == 0)
            delete this;
        return count;
    }
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

// ---------------------------------------------------------------------------------------------
// Creators and the class factory

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
        p->SetVoid(pv);
        p->InternalFinalConstructAddRef();
        HRESULT hr = p->FinalConstruct();
        p->InternalFinalConstructRelease();
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

// ---------------------------------------------------------------------------------------------
// Error information support

template <const IID* piid> class ISupportErrorInfoImpl : public ISupportErrorInfo
{
public:
    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override
    {
        return riid == *piid ? S_OK : S_FALSE;
    }
};

// ---------------------------------------------------------------------------------------------
// Dispatch over a table

namespace com {

// The dispatch table of interface I: specialise with `static const DispatchTable& table();`.
template <class I> struct DispatchInfo;

namespace detail {

template <class T>
constexpr bool isInterfacePointer =
    std::is_pointer_v<T>&& std::is_base_of_v<IUnknown, std::remove_pointer_t<T>>;

template <class T>
constexpr bool isOutParameter = std::is_pointer_v<T> && !std::is_same_v<T, BSTR> &&
                                !std::is_same_v<T, LPCOLESTR> && !isInterfacePointer<T>;

template <class T> constexpr VARTYPE vartypeOf()
{
    if constexpr (std::is_same_v<T, SHORT>)
        return VT_I2;
    else if constexpr (std::is_same_v<T, LONG>)
        return VT_I4;
    else if constexpr (std::is_same_v<T, ULONG>)
        return VT_UI4;
    else if constexpr (std::is_same_v<T, USHORT>)
        return VT_UI2;
    else if constexpr (std::is_same_v<T, BYTE>)
        return VT_UI1;
    else if constexpr (std::is_same_v<T, CHAR>)
        return VT_I1;
    else if constexpr (std::is_same_v<T, LONGLONG>)
        return VT_I8;
    else if constexpr (std::is_same_v<T, ULONGLONG>)
        return VT_UI8;
    else if constexpr (std::is_same_v<T, FLOAT>)
        return VT_R4;
    else if constexpr (std::is_same_v<T, DOUBLE>)
        return VT_R8;
    else if constexpr (std::is_same_v<T, CY>)
        return VT_CY;
    else if constexpr (std::is_same_v<T, BSTR>)
        return VT_BSTR;
    else
        static_assert(sizeof(T) == 0, "type not supported in a dispatch table");
}

template <class T> T& variantField(VARIANT& v)
{
    if constexpr (std::is_same_v<T, SHORT>)
        return v.iVal;
    else if constexpr (std::is_same_v<T, LONG>)
        return v.lVal;
    else if constexpr (std::is_same_v<T, ULONG>)
        return v.ulVal;
    else if constexpr (std::is_same_v<T, USHORT>)
        return v.uiVal;
    else if constexpr (std::is_same_v<T, BYTE>)
        return v.bVal;
    else if constexpr (std::is_same_v<T, CHAR>)
        return v.cVal;
    else if constexpr (std::is_same_v<T, LONGLONG>)
        return v.llVal;
    else if constexpr (std::is_same_v<T, ULONGLONG>)
        return v.ullVal;
    else if constexpr (std::is_same_v<T, FLOAT>)
        return v.fltVal;
    else if constexpr (std::is_same_v<T, DOUBLE>)
        return v.dblVal;
    else if constexpr (std::is_same_v<T, CY>)
        return v.cyVal;
    else
        return v.bstrVal;
}

// An in-argument: converted from its VARIANT for the call, released after it.
template <class T> struct InArgument
{
    VARIANT holder{};
    T value{};
    InArgument() { VariantInit(&holder); }
    ~InArgument() { VariantClear(&holder); }
    InArgument(const InArgument&) = delete;
    InArgument& operator=(const InArgument&) = delete;

    // arg null: the argument was omitted.
    HRESULT load(VARIANT* arg)
    {
        if constexpr (std::is_same_v<T, VARIANT>) {
            if (!arg) {
                holder.vt = VT_ERROR;
                holder.scode = DISP_E_PARAMNOTFOUND;
                value = holder;
            } else {
                value = *arg; // the callee borrows the caller's VARIANT
            }
            return S_OK;
        } else if constexpr (isInterfacePointer<T>) {
            using I = std::remove_pointer_t<T>;
            if (!arg)
                return DISP_E_PARAMNOTOPTIONAL;
            VARIANT* v = arg;
            while (v->vt == (VT_BYREF | VT_VARIANT))
                v = v->pvarVal;
            IUnknown* unknown = nullptr;
            switch (v->vt) {
            case VT_EMPTY:
            case VT_NULL:
                return S_OK;
            case VT_UNKNOWN:
            case VT_DISPATCH:
                unknown = v->punkVal;
                break;
            case VT_UNKNOWN | VT_BYREF:
            case VT_DISPATCH | VT_BYREF:
                unknown = *v->ppunkVal;
                break;
            default:
                return DISP_E_TYPEMISMATCH;
            }
            if (!unknown)
                return S_OK;
            void* found = nullptr;
            if (FAILED(unknown->QueryInterface(uuidof<I>(), &found)))
                return DISP_E_TYPEMISMATCH;
            holder.vt = VT_UNKNOWN;
            holder.punkVal = static_cast<IUnknown*>(static_cast<I*>(found));
            value = static_cast<I*>(found);
            return S_OK;
        } else {
            if (!arg)
                return DISP_E_PARAMNOTOPTIONAL;
            HRESULT hr = VariantChangeType(&holder, arg, 0, vartypeOf<T>());
            if (FAILED(hr))
                return hr;
            value = variantField<T>(holder);
            return S_OK;
        }
    }
    T get() { return value; }
};

// An out-argument (a pointer parameter). As the last parameter it is the return value;
// elsewhere the caller passes it by reference.
template <class P> struct OutArgument
{
    using T = std::remove_pointer_t<P>;
    T storage{};
    T* target = &storage;

    OutArgument()
    {
        if constexpr (std::is_same_v<T, VARIANT>)
            VariantInit(&storage);
    }
    OutArgument(const OutArgument&) = delete;
    OutArgument& operator=(const OutArgument&) = delete;

    static constexpr VARTYPE type()
    {
        if constexpr (std::is_same_v<T, VARIANT>)
            return VT_VARIANT;
        else if constexpr (isInterfacePointer<T>)
            return std::is_base_of_v<IDispatch, std::remove_pointer_t<T>> ? VT_DISPATCH
                                                                          : VT_UNKNOWN;
        else
            return vartypeOf<T>();
    }

    HRESULT load(VARIANT* arg)
    {
        if (!arg)
            return DISP_E_PARAMNOTOPTIONAL;
        if (arg->vt != (VT_BYREF | type()))
            return DISP_E_TYPEMISMATCH;
        target = static_cast<T*>(arg->byref);
        return S_OK;
    }
    P get() { return target; }

    // Hands the return value to result (or frees it when the caller wants none).
    void deliver(VARIANT* result, bool succeeded)
    {
        VARIANT v;
        VariantInit(&v);
        if constexpr (std::is_same_v<T, VARIANT>) {
            v = storage;
        } else if constexpr (isInterfacePointer<T>) {
            v.vt = type();
            if constexpr (std::is_base_of_v<IDispatch, std::remove_pointer_t<T>>)
                v.pdispVal = static_cast<IDispatch*>(storage);
            else
                v.punkVal = static_cast<IUnknown*>(storage);
        } else {
            v.vt = type();
            variantField<T>(v) = storage;
        }
        if (succeeded && result) {
            VariantClear(result);
            *result = v;
        } else {
            VariantClear(&v);
        }
    }
};

template <class T>
using ArgumentOf = std::conditional_t<isOutParameter<T>, OutArgument<T>, InArgument<T>>;

template <auto Member> struct Invoker;

template <class C, class... Args, HRESULT (C::*Member)(Args...)> struct Invoker<Member>
{
    static constexpr std::size_t count = sizeof...(Args);
    using Last = std::tuple_element_t<count == 0 ? 0 : count - 1, std::tuple<Args..., void>>;
    static constexpr bool hasReturn = count > 0 && isOutParameter<Last>;
    static constexpr std::size_t automationCount = hasReturn ? count - 1 : count;

    static HRESULT invoke(void* instance, DISPPARAMS* params, VARIANT* result, UINT* argErr,
                          HRESULT* callResult)
    {
        UINT given = params ? params->cArgs : 0;
        if (given > automationCount)
            return DISP_E_BADPARAMCOUNT;
        std::tuple<ArgumentOf<Args>...> arguments;
        HRESULT hr = load(arguments, params, given, argErr, std::index_sequence_for<Args...>{});
        if (FAILED(hr))
            return hr;
        hr = call(static_cast<C*>(instance), arguments, std::index_sequence_for<Args...>{});
        if constexpr (hasReturn)
            std::get<count - 1>(arguments).deliver(result, SUCCEEDED(hr));
        *callResult = hr;
        return S_OK;
    }

private:
    template <class Tuple, std::size_t... I>
    static HRESULT load(Tuple& arguments, DISPPARAMS* params, UINT given, UINT* argErr,
                        std::index_sequence<I...>)
    {
        HRESULT hr = S_OK;
        auto one = [&](auto& argument, std::size_t index) {
            if (FAILED(hr) || index >= automationCount)
                return;
            VARIANT* arg = index < given ? &params->rgvarg[given - 1 - index] : nullptr;
            hr = argument.load(arg);
            if (FAILED(hr) && argErr && arg)
                *argErr = static_cast<UINT>(given - 1 - index);
        };
        (one(std::get<I>(arguments), I), ...);
        (void)one; // a member without parameters
        return hr;
    }
    template <class Tuple, std::size_t... I>
    static HRESULT call(C* object, Tuple& arguments, std::index_sequence<I...>)
    {
        return (object->*Member)(std::get<I>(arguments).get()...);
    }
};

} // namespace detail

// A table entry for a member of a dispatch interface, e.g.
//   com::dispatchEntry<&ISTopic::get_Topic>(0x60020000, "Topic", DISPATCH_PROPERTYGET, "...")
// In-parameters are converted from the automation arguments (numbers, BSTR, VARIANT, interface
// pointers); a trailing pointer parameter is the return value; other pointer parameters are
// by-reference arguments. A 16-bit integer is VT_I2 (VARIANT_BOOL has the same C++ type).
template <auto Member>
DispatchEntry dispatchEntry(DISPID id, const char* name, WORD kind, const char* help = "")
{
    return {id, name, kind, &detail::Invoker<Member>::invoke, help};
}

} // namespace com

// IDispatch for the dual interface I, through its table (com::DispatchInfo<I>).
template <class I> class IDispatchImpl : public I
{
public:
    HRESULT GetTypeInfoCount(UINT* pctinfo) override
    {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 1;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT index, LCID, ITypeInfo** ppTInfo) override
    {
        if (!ppTInfo)
            return E_POINTER;
        *ppTInfo = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        *ppTInfo = typeInfo();
        (*ppTInfo)->AddRef();
        return S_OK;
    }
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        return typeInfo()->GetIDsOfNames(names, count, ids);
    }
    HRESULT Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        return typeInfo()->Invoke(static_cast<I*>(this), id, flags, params, result, excepInfo,
                                  argErr);
    }

private:
    static ITypeInfo* typeInfo() { return com::typeInfoFor(com::DispatchInfo<I>::table()); }
};

// ---------------------------------------------------------------------------------------------
// The copying VARIANT enumerator

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
