#include "platform/jtc/Monitor.h"

#include <chrono>

void JTCMonitor::lock() const
{
    m_lock.lock();
}

void JTCMonitor::unlock() const
{
    m_lock.unlock("JTCMonitor::unlock");
}

void JTCMonitor::wait() const
{
    std::unique_lock guard(m_lock.m_mutex);
    m_lock.checkOwner("JTCMonitor::wait");
    unsigned levels = m_lock.releaseAll();
    m_notified.wait(guard);
    m_lock.acquire(guard, levels);
}

bool JTCMonitor::wait(long timeout) const
{
    std::unique_lock guard(m_lock.m_mutex);
    m_lock.checkOwner("JTCMonitor::wait");
    unsigned levels = m_lock.releaseAll();
    bool notified =
        m_notified.wait_for(guard, std::chrono::milliseconds(timeout < 0 ? 0 : timeout)) ==
        std::cv_status::no_timeout;
    m_lock.acquire(guard, levels);
    return notified;
}

void JTCMonitor::notify() const
{
    std::unique_lock guard(m_lock.m_mutex);
    m_lock.checkOwner("JTCMonitor::notify");
    m_notified.notify_one();
}

void JTCMonitor::notifyAll() const
{
    std::unique_lock guard(m_lock.m_mutex);
    m_lock.checkOwner("JTCMonitor::notifyAll");
    m_notified.notify_all();
}
