#include "platform/jtc/JTC.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <thread>

// Link seam (-Wl,--wrap=pthread_create): the next thread creation fails when asked.
namespace {
std::atomic<bool> g_failNextCreate{false};
}
extern "C" int __real_pthread_create(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
extern "C" int __wrap_pthread_create(pthread_t* id, const pthread_attr_t* attributes,
                                     void* (*routine)(void*), void* argument)
{
    if (g_failNextCreate.exchange(false))
        return EAGAIN;
    return __real_pthread_create(id, attributes, routine, argument);
}

namespace {

// Records what run() saw and when the object is destroyed.
class ProbeThread : public JTCThread
{
public:
    explicit ProbeThread(std::atomic<int>& destroyed, JTCMonitor* gate = nullptr,
                         bool* open = nullptr)
        : m_destroyed(destroyed), m_gate(gate), m_open(open)
    {
    }
    ~ProbeThread() override { ++m_destroyed; }

    void run() override
    {
        JTCThreadHandle self = JTCThread::currentThread();
        m_sawItself = self.get() == this;
        {
            // An adopter on a known thread changes nothing.
            JTCAdoptCurrentThread adopter;
            m_adopterKeptIdentity = JTCThread::currentThread().get() == this;
        }
        if (m_gate) {
            JTCSynchronized sync(*m_gate);
            while (!*m_open)
                m_gate->wait();
        }
        m_ran = true;
    }

    std::atomic<bool> m_sawItself{false};
    std::atomic<bool> m_adopterKeptIdentity{false};
    std::atomic<bool> m_ran{false};

private:
    std::atomic<int>& m_destroyed;
    JTCMonitor* m_gate;
    bool* m_open;
};

// The count of destroyed threads once it reaches `count`, or as it is after five seconds. A
// thread gives its own reference back only after it has woken its joiners, so the object may
// still live for a moment after join returns and the last handle goes.
int DestroyedOnceDone(const std::atomic<int>& destroyed, int count)
{
    for (int i = 0; i < 5000 && destroyed.load() < count; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return destroyed.load();
}

bool currentThreadKnown()
{
    try {
        JTCThread::currentThread();
        return true;
    } catch (const JTCUnknownThreadException&) {
        return false;
    }
}

TEST(JTCThread, ForeignThreadIsRefusedUntilAdopted)
{
    // The test's own threads were not started by the library.
    auto onForeignThread = [] {
        EXPECT_FALSE(currentThreadKnown());
        {
            JTCAdoptCurrentThread adopter;
            JTCThreadHandle first = JTCThread::currentThread();
            JTCThreadHandle second = JTCThread::currentThread();
            ASSERT_TRUE(first);
            EXPECT_EQ(first.get(), second.get());
            EXPECT_FALSE(first->isAlive());
            EXPECT_THROW(first->start(), JTCIllegalThreadStateException);
            EXPECT_THROW(first->join(), JTCIllegalThreadStateException);
        }
        EXPECT_FALSE(currentThreadKnown());
        {
            JTCInitialize initialize;
            EXPECT_TRUE(currentThreadKnown());
        }
        EXPECT_FALSE(currentThreadKnown());
    };
    onForeignThread();
    std::thread other(onForeignThread);
    other.join();
}

TEST(JTCThread, EachAdoptionMakesANewThreadObject)
{
    // A handle taken during the first adoption keeps that object alive past it.
    JTCThreadHandle kept;
    {
        JTCAdoptCurrentThread adopter;
        kept = JTCThread::currentThread();
    }
    JTCAdoptCurrentThread adopter;
    EXPECT_NE(JTCThread::currentThread().get(), kept.get());
}

TEST(JTCThread, StartedThreadKnowsItselfAndOutlivesItsHandles)
{
    std::atomic<int> destroyed{0};
    JTCMonitor gate;
    bool open = false;
    ProbeThread* raw = new ProbeThread(destroyed, &gate, &open);
    {
        JTCThreadHandle thread = raw;
        thread->start();
        EXPECT_TRUE(thread->isAlive());
        EXPECT_THROW(thread->start(), JTCIllegalThreadStateException);
    }
    // The running thread holds its own reference.
    EXPECT_EQ(destroyed.load(), 0);
    JTCThreadHandle again = raw;
    {
        JTCSynchronized sync(gate);
        open = true;
        gate.notifyAll();
    }
    again->join();
    EXPECT_FALSE(again->isAlive());
    EXPECT_TRUE(raw->m_sawItself);
    EXPECT_TRUE(raw->m_adopterKeptIdentity);
    EXPECT_TRUE(raw->m_ran);
    again = JTCThreadHandle();
    EXPECT_EQ(DestroyedOnceDone(destroyed, 1), 1);
}

TEST(JTCThread, DetachedThreadDeletesItselfWhenRunEnds)
{
    std::atomic<int> destroyed{0};
    {
        JTCThreadHandle thread = new ProbeThread(destroyed);
        thread->start();
    }
    EXPECT_EQ(DestroyedOnceDone(destroyed, 1), 1);
}

// The last handle goes on another thread just as run() returns, so that the thread's own
// reference is the one to delete the object: it must not hold the object's lock by then
// (ThreadSanitizer sees the lock of a freed object otherwise).
TEST(JTCThread, LastHandleDroppedAsRunEnds)
{
    class Ending : public JTCThread
    {
    public:
        explicit Ending(std::atomic<int>& destroyed, std::atomic<bool>& ending)
            : m_destroyed(destroyed), m_ending(ending)
        {
        }
        ~Ending() override { ++m_destroyed; }
        void run() override { m_ending = true; }

    private:
        std::atomic<int>& m_destroyed;
        std::atomic<bool>& m_ending;
    };
    constexpr int rounds = 300;
    std::atomic<int> destroyed{0};
    for (int i = 0; i < rounds; ++i) {
        std::atomic<bool> ending{false};
        JTCThreadHandle thread = new Ending(destroyed, ending);
        thread->start();
        while (!ending)
            std::this_thread::yield();
        thread = nullptr;
        DestroyedOnceDone(destroyed, i + 1);
    }
    EXPECT_EQ(destroyed.load(), rounds);
}

TEST(JTCThread, JoinWithTimeoutAndJoinSelf)
{
    class SelfJoiner : public JTCThread
    {
    public:
        void run() override
        {
            try {
                JTCThread::currentThread()->join();
            } catch (const JTCIllegalThreadStateException&) {
                refused = true;
            }
        }
        std::atomic<bool> refused{false};
    };
    JTCHandleT<SelfJoiner> joiner = new SelfJoiner;
    joiner->start();
    EXPECT_TRUE(joiner->join(5000));
    EXPECT_TRUE(joiner->refused);

    std::atomic<int> destroyed{0};
    JTCMonitor gate;
    bool open = false;
    JTCThreadHandle blocked = new ProbeThread(destroyed, &gate, &open);
    blocked->start();
    EXPECT_FALSE(blocked->join(50));
    {
        JTCSynchronized sync(gate);
        open = true;
        gate.notify();
    }
    EXPECT_TRUE(blocked->join(5000));
    // The object counts its end into this frame: it must be gone before the frame is.
    blocked = JTCThreadHandle();
    EXPECT_EQ(DestroyedOnceDone(destroyed, 1), 1);
}

TEST(JTCThread, ExceptionInRunEndsTheThreadOnly)
{
    class Thrower : public JTCThread
    {
    public:
        void run() override { throw std::runtime_error("boom"); }
    };
    JTCThreadHandle thread = new Thrower;
    thread->start();
    EXPECT_TRUE(thread->join(5000));
    EXPECT_FALSE(thread->isAlive());
}

TEST(JTCThread, FailedStartRaisesAndLeavesThreadStartable)
{
    std::atomic<int> destroyed{0};
    auto* raw = new ProbeThread(destroyed);
    JTCThreadHandle thread = raw;
    g_failNextCreate = true;
    try {
        thread->start();
        FAIL() << "start() did not raise";
    } catch (const JTCSystemCallException& e) {
        EXPECT_EQ(e.getError(), EAGAIN);
    }
    EXPECT_FALSE(thread->isAlive());
    // The reference meant for the new thread was given back, not leaked.
    EXPECT_EQ(thread->_refCount(), 1);
    EXPECT_EQ(destroyed.load(), 0);

    thread->start();
    EXPECT_TRUE(thread->join(5000));
    EXPECT_TRUE(raw->m_ran);
    thread = JTCThreadHandle();
    EXPECT_EQ(DestroyedOnceDone(destroyed, 1), 1);
}

TEST(JTCThread, FailedStartIsCatchableAsLibraryException)
{
    JTCThreadHandle thread = new JTCThread;
    g_failNextCreate = true;
    EXPECT_THROW(thread->start(), JTCException);
}

} // namespace
