#pragma once
// A mutex that the thread holding it may lock again; it is free once every
// lock has been matched by an unlock.

#include "platform/jtc/OwnerLock.h"

class JTCRecursiveMutex
{
public:
    JTCRecursiveMutex() = default;
    JTCRecursiveMutex(const JTCRecursiveMutex&) = delete;
    JTCRecursiveMutex& operator=(const JTCRecursiveMutex&) = delete;

    void lock() const;
    // Takes the mutex when it is free or already held by the caller; never waits.
    bool trylock() const;
    // Throws JTCIllegalMonitorStateException when the caller does not hold it.
    void unlock() const;

private:
    mutable jtc_detail::OwnerLock m_lock;
};
