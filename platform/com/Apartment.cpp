#include "platform/com/Apartment.h"

#include "platform/com/Com.h"

#include <chrono>

HRESULT com::CallQueue::run(Call call, void* context, IUnknown* target)
{
    if (std::this_thread::get_id() == m_owner)
        return call(context, target);
    Request request{call, context, target, S_OK, false};
    std::unique_lock guard(m_lock);
    if (m_closed)
        return RPC_E_DISCONNECTED;
    m_requests.push_back(&request);
    m_queued.notify_all();
    m_done.wait(guard, [&] { return request.done; });
    return request.result;
}

std::size_t com::CallQueue::serve(DWORD timeoutMs)
{
    std::size_t served = 0;
    std::unique_lock guard(m_lock);
    m_queued.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                      [&] { return !m_requests.empty() || m_closed; });
    while (!m_requests.empty()) {
        Request* request = m_requests.front();
        m_requests.pop_front();
        guard.unlock();
        HRESULT result = request->call(request->context, request->target);
        guard.lock();
        request->result = result;
        request->done = true;
        ++served;
        m_done.notify_all();
    }
    return served;
}

void com::CallQueue::close()
{
    std::lock_guard guard(m_lock);
    m_closed = true;
    for (Request* request : m_requests) {
        request->result = RPC_E_DISCONNECTED;
        request->done = true;
    }
    m_requests.clear();
    m_done.notify_all();
}
