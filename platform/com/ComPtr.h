#pragma once
// Smart pointers for interfaces: CComPtr counts one reference, CComQIPtr also queries what it
// is given for its interface.

#include "platform/com/Com.h"

#include <memory>
#include <type_traits>

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
