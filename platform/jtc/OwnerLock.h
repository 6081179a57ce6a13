#pragma once
// The lock under monitors and recursive mutexes: it knows its owning thread and
// how often that thread has taken it, so the owner may take it again and a
// monitor wait can give up and restore every level at once.

#include <condition_variable>
#include <mutex>
#include <thread>

namespace jtc_detail {

class OwnerLock
{
public:
    void lock();
    bool tryLock();
    // Gives up one level; throws JTCIllegalMonitorStateException (naming `what`)
    // when the calling thread does not hold the lock.
    void unlock(const char* what);

    // The following run with `guard` holding m_mutex.
    bool ownedByCaller() const { return m_count > 0 && m_owner == std::this_thread::get_id(); }
    void checkOwner(const char* what) const;
    // Gives up every level and returns how many there were.
    unsigned releaseAll();
    // Waits until the lock is free and takes it `count` times.
    void acquire(std::unique_lock<std::mutex>& guard, unsigned count);

    std::mutex m_mutex;

private:
    std::condition_variable m_free;
    std::thread::id m_owner;
    unsigned m_count = 0;
};

} // namespace jtc_detail
