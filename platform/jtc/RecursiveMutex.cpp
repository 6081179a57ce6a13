#include "platform/jtc/RecursiveMutex.h"

void JTCRecursiveMutex::lock() const
{
    m_lock.lock();
}

bool JTCRecursiveMutex::trylock() const
{
    return m_lock.tryLock();
}

void JTCRecursiveMutex::unlock() const
{
    m_lock.unlock("JTCRecursiveMutex::unlock");
}
