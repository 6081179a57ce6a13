// The library's module: the object map (Topic, Topics, Diagnostics), initialised when the
// library is loaded and never destroyed, the four exported entry points, and the library's state
// over the process's life (running, ending, or a forked child).

#include "vardex/diagnostics/vardexmodule.h"

#include "platform/com/Com.h"
#include "vardex/diagnostics/ComDiagnostics.h"
#include "vardex/diagnostics/ComTopic.h"
#include "vardex/diagnostics/ComTopics.h"
#include "vardex/diagnostics/DiagProbeListener.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>

#include <omniORB4/CORBA.h>
#include <pthread.h>

namespace {

// Never destroyed: relay threads and the ORB's threads may still reach the module (its lock
// count) while the process runs its exit steps, and so may the host's own globals; the library
// is never unloaded.
CComModule& g_module = *new CComModule;
_ATL_OBJMAP_ENTRY g_objectMap[] = {com::objectEntry<CComTopic>(), com::objectEntry<CComTopics>(),
                                   com::objectEntry<CComDiagnostics>(), com::objectMapEnd()};

std::atomic<bool> g_orbStarting{false};
std::atomic<bool> g_ending{false};
std::atomic<bool> g_forked{false};
// The ORB the library started, never released: shut down as the process ends.
std::atomic<CORBA::ORB_ptr> g_orb{nullptr};

// The start of the end, once: no new message is relayed, then the running relays get 2 s to
// end. Relays of a forked child were never its own.
void BeginEnd()
{
    if (g_ending.exchange(true) || g_forked)
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    CloseRelays();
    // The ORB's threads would go on serving the server, and starting threads, while the ORB's
    // statics go: they end now, once the calls under way have returned (the servant only starts
    // relays, and starts none by now).
    if (CORBA::ORB_ptr orb = g_orb.load()) {
        try {
            orb->shutdown(true);
        } catch (const CORBA::Exception&) {
            // the host shut it down or destroyed it before
        }
    }
    WaitForRelayThreads(std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now()));
}

void MarkForkedChild()
{
    if (g_orbStarting)
        g_forked = true;
}

// Sets the thread's error information: the text as its description, the class as its source.
void SetErrorText(REFCLSID clsid, REFIID iid, const char16_t* text)
{
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create)))
        return;
    create->SetGUID(iid);
    std::u16string source = com::utf16FromUtf8(com::guidToString(clsid));
    create->SetSource(source.data());
    create->SetDescription(const_cast<LPOLESTR>(text));
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
}

struct ModuleInit
{
    ModuleInit()
    {
        g_module.Init(g_objectMap, &LIBID_VeltrixDiagnosticsLib);
        // Listeners of single-threaded apartments are called through proxies of these.
        com::loadTypeLibrary(VeltrixDiagnosticsLib());
        pthread_atfork(nullptr, nullptr, MarkForkedChild);
    }
    // The library's statics go: the end has begun, if the ORB's start did not see it begin.
    ~ModuleInit() { BeginEnd(); }
} g_moduleInit;

} // namespace

OrbStartScope::OrbStartScope()
{
    g_orbStarting = true;
}

OrbStartScope::~OrbStartScope()
{
    // Registered after the ORB's own exit steps, so run before them.
    static std::once_flag once;
    std::call_once(once, [] {
        try {
            int argc = 0;
            g_orb = CORBA::ORB_init(argc, nullptr, "");
        } catch (const CORBA::Exception&) {
        }
        std::atexit(BeginEnd);
    });
}

bool OrbOutOfReach()
{
    return g_ending || g_forked;
}

bool ForkedAfterOrb()
{
    return g_forked;
}

HRESULT RefuseUnusable(REFCLSID clsid, REFIID iid) noexcept
{
    if (g_forked) {
        SetErrorText(clsid, iid,
                     u"This process was forked after Vardex started its ORB: Vardex cannot be "
                     u"used in it. Fork before Vardex starts its ORB, or exec in the child.");
        return kHrForkedAfterOrb;
    }
    if (g_ending) {
        SetErrorText(clsid, iid, u"The process is ending: Vardex serves no more calls.");
        return kHrLibraryEnding;
    }
    return S_OK;
}

COM_MODULE_EXPORTS(g_module, &VeltrixDiagnosticsLib())
