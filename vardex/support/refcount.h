#pragma once
// Reference-counted objects shared between threads (COM client, ORB and relay
// threads) that must outlive the call that made them, and their counted pointer.

#include "vardex/support/sassert.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <utility>

class CRefCount
{
public:
    CRefCount() = default;
    CRefCount(const CRefCount&) = delete;
    CRefCount& operator=(const CRefCount&) = delete;

    // Interlocked increment; returns the new count.
    virtual int32_t AddRef();
    // Interlocked decrement; the object deletes itself when the count reaches 0.
    virtual int32_t Release();
    // A stack object keeps its count at 1 and is never deleted by Release.
    virtual void SetStackObject(bool isStackObject);
    virtual bool IsStackObject() const;
    virtual ~CRefCount();

private:
    std::atomic<int32_t> m_lRefCount{1};
    bool m_IsStackObject = false;
};

// Counted pointer. Adopting a raw pointer takes over the reference its creator
// holds (no AddRef: a new object starts with count 1), and is always spelt out
// (explicit constructor, Adopt), so that no assignment adopts a pointer by
// accident; copies AddRef, destruction Releases.
template <class T> class CRefCountPtr
{
public:
    CRefCountPtr() = default;
    explicit CRefCountPtr(T* p) { Adopt(p); }
    CRefCountPtr(const CRefCountPtr& other) : m_p(other.m_p)
    {
        if (m_p)
            m_p->AddRef();
    }
    CRefCountPtr(CRefCountPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ~CRefCountPtr()
    {
        if (m_p)
            m_p->Release();
    }

    // Releases the object held.
    CRefCountPtr& operator=(std::nullptr_t)
    {
        Adopt(nullptr);
        return *this;
    }
    CRefCountPtr& operator=(const CRefCountPtr& other)
    {
        T* old = m_p;
        if (other.m_p)
            other.m_p->AddRef();
        m_p = other.m_p;
        if (old)
            old->Release();
        return *this;
    }
    CRefCountPtr& operator=(CRefCountPtr&& other) noexcept
    {
        if (this != &other) {
            T* old = std::exchange(m_p, std::exchange(other.m_p, nullptr));
            if (old)
                old->Release();
        }
        return *this;
    }

    // Dereferencing a null pointer is reported and then refused with
    // std::logic_error instead of touching address 0.
    T* operator->() const { return Checked(); }
    T& operator*() const { return *Checked(); }

    T* get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // Takes over the creator's reference of `p` and releases the object held before.
    void Adopt(T* p)
    {
        // clang-format off
        SASSERT(!p || (p && !((CRefCount*)(p))->IsStackObject()));
        // clang-format on
        if (p == m_p)
            return; // adopting the pointer already held would release it under our feet
        T* old = std::exchange(m_p, p);
        if (old)
            old->Release();
    }

private:
    T* Checked() const
    {
        // clang-format off
        SASSERT(m_p!=0);
        // clang-format on
        if (!m_p)
            throw std::logic_error("CRefCountPtr: null pointer dereferenced");
        return m_p;
    }

    T* m_p = nullptr;
};
