#pragma once
// Holds a monitor or a recursive mutex for the lifetime of a scope.

#include "platform/jtc/Monitor.h"
#include "platform/jtc/RecursiveMutex.h"

class JTCSynchronized
{
public:
    explicit JTCSynchronized(const JTCMonitor& monitor) : m_monitor(&monitor) { monitor.lock(); }
    explicit JTCSynchronized(const JTCRecursiveMutex& mutex) : m_mutex(&mutex) { mutex.lock(); }
    JTCSynchronized(const JTCSynchronized&) = delete;
    JTCSynchronized& operator=(const JTCSynchronized&) = delete;
    ~JTCSynchronized()
    {
        if (m_monitor)
            m_monitor->unlock();
        else
            m_mutex->unlock();
    }

private:
    const JTCMonitor* m_monitor = nullptr;
    const JTCRecursiveMutex* m_mutex = nullptr;
};
