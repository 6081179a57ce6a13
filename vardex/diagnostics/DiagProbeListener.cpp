#include "vardex/diagnostics/DiagProbeListener.h"

#include "platform/com/Com.h"
#include "vardex/diagnostics/ComDiagnostics.h"
#include "vardex/diagnostics/corbawstring.h"
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

// Starts a relay thread; a thread that cannot be made or started drops its call.
void StartRelay(JTCThread* thread)
{
    if (!thread)
        return;
    JTCThreadHandle handle(thread);
    try {
        handle->start();
    } catch (const JTCException&) {
    }
}

// The relay threads alive. Never destroyed: the last relay threads may end during the exit
// steps.
struct RelayCount
{
    std::mutex lock;
    std::condition_variable ended;
    int alive = 0;
};
RelayCount& Relays()
{
    static RelayCount* relays = new RelayCount;
    return *relays;
}

} // namespace

RelayThread::RelayThread()
{
    std::lock_guard guard(Relays().lock);
    ++Relays().alive;
}

RelayThread::~RelayThread()
{
    std::lock_guard guard(Relays().lock);
    if (--Relays().alive == 0)
        Relays().ended.notify_all();
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
    StartRelay(new (std::nothrow) MessageThread(m_pGIT, m_cookie, AnsiFromCorba(topic), verbosity,
                                                AnsiFromCorba(message)));
}

void CDiagProbeListener_impl::topicalFilterUpdated(const Norvel::Norveldiag::SeqTopicVerbosity&) {}

void CDiagProbeListener_impl::free()
{
    JTCInitialize initialize;
    // A free that reaches a servant already replaced ends nothing: its listener has left the
    // table, and its cookie may name the successor's by now.
    if (m_owner->DropListenerOf(this))
        StartRelay(new (std::nothrow) FreeThread(m_pGIT, m_cookie));
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
