#include "vardex/diagnostics/DiagProbeListener.h"

#include "platform/com/Com.h"
#include "vardex/diagnostics/ComDiagnostics.h"
#include "vardex/diagnostics/corbawstring.h"
#include "vardex/diagnostics/vardexmodule.h"
#include "vardex/support/scodepage.h"

#include <condition_variable>
#include <mutex>
#include <new>

namespace {

// The whole ANSI text (embedded zeros kept) as a BSTR.
BSTR BstrFromAnsi(const SString& text)
{
    int32_t bytes = text.GetLength();
    if (bytes == 0)
        return SysAllocString(u"");
    int32_t units = SMultiByteToWide(-1, text.GetString(), bytes, nullptr, 0);
    if (units < 0)
        return nullptr;
    BSTR result = SysAllocStringLen(nullptr, UINT(units));
    if (result)
        SMultiByteToWide(-1, text.GetString(), bytes, result, units);
    return result;
}

// The client's listener from the table, within the multithreaded apartment; null when it
// cannot be had.
ISDiagListener* FetchListener(CriticalGlobalInterfaceTable& table, DWORD cookie)
{
    ISDiagListener* listener = nullptr;
    if (FAILED(table.GetInterfaceFromGlobal(cookie, ISDiagListener::iid,
                                            reinterpret_cast<void**>(&listener))))
        return nullptr;
    return listener;
}

// The relay threads alive, and whether new ones may start. Never destroyed: the last relay
// threads may end during the exit steps.
struct RelayCount
{
    std::mutex lock;
    std::condition_variable ended;
    int alive = 0;
    bool closed = false;
};
RelayCount& Relays()
{
    static RelayCount* relays = new RelayCount;
    return *relays;
}

// Counts a relay about to be made; false once relays are closed.
bool EnterRelay()
{
    std::lock_guard guard(Relays().lock);
    if (Relays().closed)
        return false;
    ++Relays().alive;
    return true;
}

void LeaveRelay()
{
    std::lock_guard guard(Relays().lock);
    if (--Relays().alive == 0)
        Relays().ended.notify_all();
}

// Makes and starts a relay thread, counted from before it is made; nothing once relays are
// closed. A thread that cannot be made or started drops its call.
template <class Make> void StartRelay(Make make)
{
    if (!EnterRelay())
        return;
    JTCThread* thread = make();
    if (!thread) {
        LeaveRelay();
        return;
    }
    JTCThreadHandle handle(thread);
    try {
        handle->start();
    } catch (const JTCException&) {
    }
}

} // namespace

RelayThread::~RelayThread()
{
    LeaveRelay();
}

void CloseRelays()
{
    std::lock_guard guard(Relays().lock);
    Relays().closed = true;
}

bool WaitForRelayThreads(std::chrono::milliseconds limit)
{
    std::unique_lock guard(Relays().lock);
    return Relays().ended.wait_for(guard, limit, [] { return Relays().alive == 0; });
}

CDiagProbeListener_impl::CDiagProbeListener_impl(
    CComDiagnostics* owner, const CRefCountPtr<CriticalGlobalInterfaceTable>& table, DWORD cookie)
    : m_owner(owner), m_pGIT(table), m_cookie(cookie)
{
    static_cast<ISDiagnostics*>(m_owner)->AddRef();
    com::atlModule().Lock();
}

CDiagProbeListener_impl::~CDiagProbeListener_impl()
{
    m_pGIT = nullptr;
    static_cast<ISDiagnostics*>(m_owner)->Release();
    com::atlModule().Unlock();
}

void CDiagProbeListener_impl::diagnosticMessage(const CORBA::WChar* topic, CORBA::Short verbosity,
                                                const CORBA::WChar* message)
{
    JTCInitialize initialize;
    StartRelay([&] {
        return new (std::nothrow) MessageThread(m_pGIT, m_cookie, AnsiFromCorba(topic), verbosity,
                                                AnsiFromCorba(message));
    });
}

void CDiagProbeListener_impl::topicalFilterUpdated(const Norvel::Norveldiag::SeqTopicVerbosity&) {}

void CDiagProbeListener_impl::free()
{
    JTCInitialize initialize;
    // A free that reaches a servant already replaced ends nothing: its listener has left the
    // table, and its cookie may name the successor's by now.
    if (m_owner->DropListenerOf(this))
        StartRelay([&] { return new (std::nothrow) FreeThread(m_pGIT, m_cookie); });
}

MessageThread::MessageThread(const CRefCountPtr<CriticalGlobalInterfaceTable>& table, DWORD cookie,
                             const SString& topic, int16_t verbosity, const SString& message)
    : m_pGIT(table), m_cookie(cookie), m_topic(topic), m_verbosity(verbosity), m_message(message)
{
    com::atlModule().Lock();
}

MessageThread::~MessageThread()
{
    com::atlModule().Unlock();
}

void MessageThread::run()
{
    // A message whose relay runs once the process has begun to end is dropped.
    if (OrbOutOfReach())
        return;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    try {
        if (ISDiagListener* listener = FetchListener(*m_pGIT, m_cookie)) {
            BSTR topic = BstrFromAnsi(m_topic);
            BSTR message = BstrFromAnsi(m_message);
            listener->DiagnosticsMessage(topic, m_verbosity, message);
            SysFreeString(topic);
            SysFreeString(message);
            listener->Release();
        }
    } catch (...) {
        // a failed relay is silent
    }
    CoUninitialize();
}

FreeThread::FreeThread(const CRefCountPtr<CriticalGlobalInterfaceTable>& table, DWORD cookie)
    : m_pGIT(table), m_cookie(cookie)
{
    com::atlModule().Lock();
}

FreeThread::~FreeThread()
{
    com::atlModule().Unlock();
}

void FreeThread::run()
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    try {
        if (ISDiagListener* listener = FetchListener(*m_pGIT, m_cookie)) {
            listener->Free();
            m_pGIT->RevokeInterfaceFromGlobal(m_cookie);
            listener->Release();
        }
    } catch (...) {
        // a failed relay is silent
    }
    CoUninitialize();
}
