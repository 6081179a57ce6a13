#include "platform/jtc/OwnerLock.h"

#include "platform/jtc/Exception.h"

#include <string>

namespace jtc_detail {

void OwnerLock::lock()
{
    std::unique_lock guard(m_mutex);
    if (ownedByCaller()) {
        ++m_count;
        return;
    }
    acquire(guard, 1);
}

bool OwnerLock::tryLock()
{
    std::unique_lock guard(m_mutex);
    if (ownedByCaller()) {
        ++m_count;
        return true;
    }
    if (m_count != 0)
        return false;
    m_owner = std::this_thread::get_id();
    m_count = 1;
    return true;
}

void OwnerLock::unlock(const char* what)
{
    std::unique_lock guard(m_mutex);
    checkOwner(what);
    if (--m_count == 0) {
        m_owner = std::thread::id();
        m_free.notify_one();
    }
}

void OwnerLock::checkOwner(const char* what) const
{
    if (!ownedByCaller())
        throw JTCIllegalMonitorStateException(std::string(what) +
                                              ": the calling thread does not hold the lock");
}

unsigned OwnerLock::releaseAll()
{
    unsigned count = m_count;
    m_count = 0;
    m_owner = std::thread::id();
    m_free.notify_one();
    return count;
}

void OwnerLock::acquire(std::unique_lock<std::mutex>& guard, unsigned count)
{
    m_free.wait(guard, [this] { return m_count == 0; });
    m_owner = std::this_thread::get_id();
    m_count = count;
}

} // namespace jtc_detail
