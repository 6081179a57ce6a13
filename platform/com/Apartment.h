#pragma once
// The calls other threads make on the objects of a single-threaded apartment: queued, and run by
// the apartment's own thread when it pumps messages. Inside the runtime library only.

#include "platform/com/Unknown.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace com {

class CallQueue
{
public:
    using Call = HRESULT (*)(void* context, IUnknown* target);

    CallQueue() : m_owner(std::this_thread::get_id()) {}

    // Runs call(context, target) on the apartment's thread and returns its result: at once on
    // that thread, otherwise once the thread has served it. RPC_E_DISCONNECTED when the
    // apartment has ended.
    HRESULT run(Call call, void* context, IUnknown* target);
    // Serves the queued calls on the owner's thread, waiting at most timeoutMs for the first;
    // the number served.
    std::size_t serve(DWORD timeoutMs);
    // The apartment ends: waiting callers get RPC_E_DISCONNECTED.
    void close();

private:
    struct Request
    {
        Call call;
        void* context;
        IUnknown* target;
        HRESULT result;
        bool done;
    };

    const std::thread::id m_owner;
    std::mutex m_lock;
    std::condition_variable m_queued;
    std::condition_variable m_done;
    std::deque<Request*> m_requests;
    bool m_closed = false;
};

// The calling thread's queue when it is in a single-threaded apartment, else null.
std::shared_ptr<CallQueue> currentCallQueue();

} // namespace com
