#pragma once
// Intrusive reference counting for the library's shared objects (threads).

#include <atomic>
#include <utility>

class JTCRefCount
{
public:
    JTCRefCount() = default;
    JTCRefCount(const JTCRefCount&) = delete;
    JTCRefCount& operator=(const JTCRefCount&) = delete;
    virtual ~JTCRefCount() = default;

    void _incRef() { m_refcount.fetch_add(1, std::memory_order_relaxed); }
    void _decRef()
    {
        if (m_refcount.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }
    int _refCount() const { return m_refcount.load(std::memory_order_acquire); }

protected:
    // Gives up a reference without deleting the object; true when it was the
    // last one, and the caller is then to delete the object.
    bool _decRefNoDelete() { return m_refcount.fetch_sub(1, std::memory_order_acq_rel) == 1; }

private:
    std::atomic<int> m_refcount{0};
};

// Counted handle: holds one reference to a JTCRefCount object.
template <class T> class JTCHandleT
{
public:
    JTCHandleT(T* p = nullptr) : m_p(p)
    {
        if (m_p)
            m_p->_incRef();
    }
    JTCHandleT(const JTCHandleT& other) : JTCHandleT(other.m_p) {}
    JTCHandleT(JTCHandleT&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    template <class U> JTCHandleT(const JTCHandleT<U>& other) : JTCHandleT(other.get()) {}
    ~JTCHandleT()
    {
        if (m_p)
            m_p->_decRef();
    }

    JTCHandleT& operator=(JTCHandleT other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    bool operator==(const JTCHandleT& other) const { return m_p == other.m_p; }

private:
    T* m_p;
};
