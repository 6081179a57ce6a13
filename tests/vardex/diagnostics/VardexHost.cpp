// A COM host of libvardex.so for the tests of a host's edges: how it ends and how it forks. It
// links the component runtime only (the library, and with it the ORB, is loaded by
// CoCreateInstance) and keeps its Diagnostics object in a global, as hosts do.
//
//   vardexhost MODE FACTORY-REFERENCE
//
// It connects, registers a listener, prints "registered" and waits for the messages the test
// has the server send, then returns from main. The MODE says what is left for the exit:
//   unregister-at-exit  the global unregisters and releases the object in its destructor
//   never-released      the object is never released, and stays registered
//   flood               as unregister-at-exit, main returning while the server floods
//   slow                as unregister-at-exit, main returning while the listener is in a call
//                       that lasts 6 s
//   fork                under a flood, forks: the child makes each kind of call and exits; the
//                       parent then still uses its objects
// Each line it prints is "what result": the test reads them.
//
// Under AddressSanitizer a forked child inherits the sanitizer's allocator locks as the parent's
// threads held them, and that allocator takes none around a fork: a lock held by another thread
// at the fork (a relay allocating, or a thread ending, which hands its allocator cache back)
// would stop the child's next allocation for good. There the forking host prints "hold-flood",
// waits for the test's "held" on its input once the server holds its messages, and forks once
// no relay has been in its listener and no thread started or ended for a while. Its ORB keeps
// its idle workers meanwhile.

#include "platform/com/Atl.h"
#include "vardex/diagnostics/VeltrixDiagnosticsLib.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string Hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(hr));
    return text;
}

long MillisecondsSince(Clock::time_point start)
{
    return long(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// The thread's error description, or "-" when there is none.
std::string ErrorText()
{
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return "-";
    CComBSTR text;
    info->GetDescription(&text);
    info->Release();
    return com::utf8FromUtf16(com::bstrView(text));
}

// The listener: counts messages; in slow mode its first call lasts 6 s.
class Listener : public ISDiagListener
{
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == ISDiagListener::iid) {
            *ppv = static_cast<ISDiagListener*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // Never deleted: relays may still hold it at exit.
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT DiagnosticsMessage(BSTR, SHORT, BSTR) override
    {
        {
            std::lock_guard guard(m_lock);
            ++m_messages;
            ++m_inCall;
            m_changed.notify_all();
        }
        if (slow.exchange(false))
            std::this_thread::sleep_for(6s);
        std::lock_guard guard(m_lock);
        --m_inCall;
        m_lastCall = Clock::now();
        return S_OK;
    }
    HRESULT Free() override { return S_OK; }

    bool WaitFor(int count)
    {
        std::unique_lock guard(m_lock);
        return m_changed.wait_for(guard, 30s, [&] { return m_messages >= count; });
    }
    // Waits until no call is in the listener and none came for 300 ms: the relay threads that
    // made the last calls have ended by then.
    void WaitUntilQuiet()
    {
        std::unique_lock guard(m_lock);
        while (m_inCall > 0 || Clock::now() - m_lastCall < 300ms)
            m_changed.wait_for(guard, 50ms);
    }

    std::atomic<bool> slow{false};

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    int m_messages = 0;
    int m_inCall = 0;
    Clock::time_point m_lastCall;
};

Listener g_listener;

CComPtr<ISTopics> NewTopics()
{
    CComPtr<ISTopics> topics;
    CoCreateInstance(CLSID_Topics, nullptr, CLSCTX_INPROC_SERVER, ISTopics::iid,
                     reinterpret_cast<void**>(&topics));
    if (topics)
        topics->Add(CComBSTR("SQL"), 1);
    return topics;
}

CComPtr<ISDiagnostics> NewDiagnostics()
{
    CComPtr<ISDiagnostics> diagnostics;
    CoCreateInstance(CLSID_Diagnostics, nullptr, CLSCTX_INPROC_SERVER, ISDiagnostics::iid,
                     reinterpret_cast<void**>(&diagnostics));
    return diagnostics;
}

HRESULT Connect(ISDiagnostics* diagnostics, const char* reference)
{
    CComQIPtr<ISInternalService> internal(diagnostics);
    if (!internal)
        return E_NOINTERFACE;
    internal->AttachParent(nullptr);
    return internal->ConnectService(CComBSTR(reference));
}

// The host's global: unregisters and releases in its destructor, after main has returned.
struct Holder
{
    CComPtr<ISDiagnostics> diagnostics;
    ~Holder()
    {
        if (!diagnostics)
            return;
        HRESULT hr = diagnostics->UnregisterProbeListener();
        Say("unregister-at-exit " + Hex(hr) + " " + ErrorText());
        diagnostics.Release();
        Say("released-at-exit");
    }
} g_holder;

// In the child: one line per call, with its result, its time and its error text.
template <class Call> void TryInChild(const char* name, Call call)
{
    Clock::time_point start = Clock::now();
    HRESULT hr = call();
    long ms = MillisecondsSince(start);
    Say(std::string("child ") + name + " " + Hex(hr) + " " + std::to_string(ms) + " " +
        ErrorText());
}

// Under AddressSanitizer: has the test hold the server's messages, then waits for the relays
// to end.
void QuiesceFloodForSanitizer()
{
#ifdef __SANITIZE_ADDRESS__
    Say("hold-flood");
    char answer[16];
    if (!std::fgets(answer, sizeof answer, stdin) || std::string(answer) != "held\n")
        std::exit(6);
    auto threadCount = [] {
        std::filesystem::directory_iterator tasks("/proc/self/task");
        return std::distance(begin(tasks), end(tasks));
    };
    for (long threads = -1;;) {
        g_listener.WaitUntilQuiet();
        long now = threadCount();
        if (now == threads)
            break;
        threads = now;
        std::this_thread::sleep_for(300ms);
    }
#endif
}

void ForkUnderFlood(ISDiagnostics* diagnostics, const char* reference)
{
    CComPtr<ISTopics> topics = NewTopics();
    QuiesceFloodForSanitizer();
    pid_t child = ::fork();
    if (child == 0) {
        TryInChild("ConnectService", [&] { return Connect(diagnostics, reference); });
        TryInChild("NewConnectService", [&] {
            CComPtr<ISDiagnostics> fresh = NewDiagnostics();
            return fresh ? Connect(fresh, reference) : E_FAIL;
        });
        TryInChild("get_Topics", [&] {
            CComPtr<ISTopics> serverTopics;
            return diagnostics->get_Topics(&serverTopics);
        });
        TryInChild("RegisterProbeListener",
                   [&] { return diagnostics->RegisterProbeListener(&g_listener, topics); });
        TryInChild("ChangeProbeListenerTopicalFilter",
                   [&] { return diagnostics->ChangeProbeListenerTopicalFilter(topics); });
        TryInChild("get_Registered", [&] {
            LONG registered = 0;
            return diagnostics->get_Registered(&registered);
        });
        TryInChild("UnregisterProbeListener",
                   [&] { return diagnostics->UnregisterProbeListener(); });
        TryInChild("Topics.Add", [&] { return topics->Add(CComBSTR("Net"), 2); });
        TryInChild("Release", [&] {
            g_holder.diagnostics.Release();
            topics.Release();
            return S_OK;
        });
        Say("child-exiting");
        std::exit(0);
    }
    Clock::time_point start = Clock::now();
    int status = 0;
    ::waitpid(child, &status, 0);
    Say("child-ended " + std::to_string(status) + " " + std::to_string(MillisecondsSince(start)));
    // The parent's objects are untouched by the child.
    CComPtr<ISTopics> serverTopics;
    Say("parent get_Topics " + Hex(diagnostics->get_Topics(&serverTopics)));
    Say("parent UnregisterProbeListener " + Hex(diagnostics->UnregisterProbeListener()));
    Say("parent RegisterProbeListener " +
        Hex(diagnostics->RegisterProbeListener(&g_listener, topics)));
    Say("parent UnregisterProbeListener " + Hex(diagnostics->UnregisterProbeListener()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const std::string mode = argv[1];
    const char* reference = argv[2];
#ifdef __SANITIZE_ADDRESS__
    if (mode == "fork")
        ::setenv("ORBidleThreadTimeout", "3600", 1);
#endif
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CComPtr<ISDiagnostics> diagnostics = NewDiagnostics();
    if (!diagnostics || FAILED(Connect(diagnostics, reference)))
        return 3;
    if (FAILED(diagnostics->RegisterProbeListener(&g_listener, NewTopics())))
        return 4;
    g_listener.slow = mode == "slow";
    if (mode == "never-released")
        diagnostics.Detach();
    else
        g_holder.diagnostics = diagnostics;
    Say("registered");
    if (!g_listener.WaitFor(mode == "flood" || mode == "fork" ? 200 : 1))
        return 5;
    if (mode == "fork")
        ForkUnderFlood(diagnostics, reference);
    diagnostics.Release();
    CoUninitialize();
    Say("main-returns");
    return 0;
}
