#pragma once
// The scope guard of every locked scope of the library: it takes the lock and, leaving the scope
// on any path, releases it by the kind of lock it is.

#include "platform/com/ThreadModel.h"
#include "platform/jtc/Monitor.h"
#include "platform/jtc/RecursiveMutex.h"

class SSyncGuard
{
public:
    enum Kind { kMonitor = 0, kCriticalSection = 1, kRecursiveMutex = 2 };

    explicit SSyncGuard(const JTCMonitor& lock) : m_lock(&lock), m_kind(kMonitor) { lock.lock(); }
    explicit SSyncGuard(CComCriticalSection& lock) : m_lock(&lock), m_kind(kCriticalSection)
    {
        lock.Lock();
    }
    explicit SSyncGuard(const JTCRecursiveMutex& lock) : m_lock(&lock), m_kind(kRecursiveMutex)
    {
        lock.lock();
    }
    ~SSyncGuard()
    {
        switch (m_kind) {
        case kMonitor:
            static_cast<const JTCMonitor*>(m_lock)->unlock();
            break;
        case kCriticalSection:
            static_cast<CComCriticalSection*>(const_cast<void*>(m_lock))->Unlock();
            break;
        case kRecursiveMutex:
            static_cast<const JTCRecursiveMutex*>(m_lock)->unlock();
            break;
        }
    }
    SSyncGuard(const SSyncGuard&) = delete;
    SSyncGuard& operator=(const SSyncGuard&) = delete;

private:
    const void* m_lock;
    Kind m_kind;
};
