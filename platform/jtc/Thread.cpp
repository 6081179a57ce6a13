#include "platform/jtc/Thread.h"

#include <pthread.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace {
// The library's object for the calling thread, or null for a thread it does not know.
thread_local JTCThread* t_current = nullptr;
} // namespace

void JTCThread::start()
{
    {
        std::lock_guard guard(m_mutex);
        if (m_state != State::created)
            throw JTCIllegalThreadStateException("JTCThread::start: thread was already started");
        m_state = State::running;
    }

    // The reference of the new thread; taken before the thread exists so that
    // the object outlives every handle until run() has returned.
    _incRef();
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t id;
    int error = pthread_create(&id, &attributes, &JTCThread::entry, this);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        {
            std::lock_guard guard(m_mutex);
            m_state = State::created;
        }
        _decRefNoDelete(); // the caller's handle still holds the object
        throw JTCSystemCallException(
            std::string("JTCThread::start: cannot create thread: ") + std::strerror(error), error);
    }
}

void* JTCThread::entry(void* arg)
{
    auto* self = static_cast<JTCThread*>(arg);
    t_current = self;
    try {
        self->run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "JTCThread: run() ended with an exception: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "JTCThread: run() ended with an unknown exception\n");
    }
    t_current = nullptr;
    // Joiners wake under the lock; the thread's own reference goes only after the lock is
    // released, for it may be the last one and delete the object with its mutex.
    {
        std::lock_guard guard(self->m_mutex);
        self->m_state = State::ended;
        self->m_ended.notify_all();
    }
    self->_decRef();
    return nullptr;
}

void JTCThread::checkJoinable() const
{
    if (m_state == State::adopted)
        throw JTCIllegalThreadStateException("JTCThread::join: an adopted thread cannot be joined");
    if (t_current == this)
        throw JTCIllegalThreadStateException("JTCThread::join: a thread cannot join itself");
}

void JTCThread::join()
{
    std::unique_lock guard(m_mutex);
    checkJoinable();
    m_ended.wait(guard, [this] { return m_state != State::running; });
}

bool JTCThread::join(long timeout)
{
    std::unique_lock guard(m_mutex);
    checkJoinable();
    return m_ended.wait_for(guard, std::chrono::milliseconds(timeout < 0 ? 0 : timeout),
                            [this] { return m_state != State::running; });
}

bool JTCThread::isAlive() const
{
    std::lock_guard guard(m_mutex);
    return m_state == State::running;
}

JTCThreadHandle JTCThread::currentThread()
{
    if (!t_current)
        throw JTCUnknownThreadException(
            "JTCThread::currentThread: the calling thread is unknown to the thread library");
    return JTCThreadHandle(t_current);
}

JTCAdoptCurrentThread::JTCAdoptCurrentThread()
{
    if (t_current)
        return;
    m_thread = new JTCThread;
    m_thread->m_state = JTCThread::State::adopted;
    t_current = m_thread.get();
}

JTCAdoptCurrentThread::~JTCAdoptCurrentThread()
{
    if (m_thread)
        t_current = nullptr;
}
