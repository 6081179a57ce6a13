#pragma once
// A monitor: a lock that its holder may take again, with waiting for and
// notifying of a condition. wait() gives up every level of the holder's lock
// and takes them all back before it returns. Waits may end early (spuriously),
// so callers test their condition in a loop.

#include "platform/jtc/OwnerLock.h"

#include <condition_variable>

class JTCMonitor
{
public:
    JTCMonitor() = default;
    JTCMonitor(const JTCMonitor&) = delete;
    JTCMonitor& operator=(const JTCMonitor&) = delete;
    virtual ~JTCMonitor() = default;

    void lock() const;
    void unlock() const;

    // The caller must hold the monitor (JTCIllegalMonitorStateException otherwise).
    void wait() const;
    // Waits at most `timeout` milliseconds; false when the time ran out.
    bool wait(long timeout) const;
    void notify() const;
    void notifyAll() const;

private:
    mutable jtc_detail::OwnerLock m_lock;
    mutable std::condition_variable m_notified;
};
