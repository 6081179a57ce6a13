#pragma once
// Critical sections and the thread-model policies of the object roots.

#include "platform/wintypes/Types.h"

#include <mutex>

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
