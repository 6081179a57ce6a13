#pragma once
// Threads of the library. A JTCThread is reference counted and held through
// JTCThreadHandle; a started thread holds a reference of its own until its
// run() returns, so it may outlive every handle. Threads run detached.
//
// currentThread() knows only threads the library started and threads adopted
// with JTCAdoptCurrentThread (or JTCInitialize); on any other thread it throws
// JTCUnknownThreadException.

#include "platform/jtc/Exception.h"
#include "platform/jtc/Handle.h"

#include <condition_variable>
#include <mutex>

class JTCThread;
using JTCThreadHandle = JTCHandleT<JTCThread>;

class JTCThread : public JTCRefCount
{
public:
    JTCThread() = default;
    ~JTCThread() override = default;

    // The thread's work; the default does nothing.
    virtual void run() {}

    // Starts run() on a new thread. Throws JTCIllegalThreadStateException when
    // the thread was started before or stands for an adopted thread, and
    // JTCSystemCallException when the system cannot create the thread.
    void start();

    // Waits until run() has returned. Throws JTCIllegalThreadStateException
    // when called for the calling thread itself or for an adopted thread.
    void join();
    // Waits at most `timeout` milliseconds; true when run() has returned.
    bool join(long timeout);

    // True from a successful start() until run() has returned.
    bool isAlive() const;

    static JTCThreadHandle currentThread();

private:
    friend class JTCAdoptCurrentThread;
    enum class State { created, running, ended, adopted };

    static void* entry(void* self);
    void checkJoinable() const;

    mutable std::mutex m_mutex;
    std::condition_variable m_ended;
    State m_state = State::created;
};

// Makes the calling thread known to the library for the adopter's lifetime.
// A thread the library already knows is left as it is.
class JTCAdoptCurrentThread
{
public:
    JTCAdoptCurrentThread();
    ~JTCAdoptCurrentThread();
    JTCAdoptCurrentThread(const JTCAdoptCurrentThread&) = delete;
    JTCAdoptCurrentThread& operator=(const JTCAdoptCurrentThread&) = delete;

private:
    JTCThreadHandle m_thread; // null when the thread was known already
};

// Makes the library usable on the calling thread for the scope: a thread the
// library does not know (one the ORB started, say) is adopted until the end of it.
class JTCInitialize
{
public:
    JTCInitialize() = default;

private:
    JTCAdoptCurrentThread m_adopter;
};
