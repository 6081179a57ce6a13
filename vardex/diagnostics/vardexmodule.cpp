// The library's module: the object map (Topic, Topics, Diagnostics), initialised when the
// library is loaded and terminated when it goes, and the four exported entry points.

#include "vardex/diagnostics/ComDiagnostics.h"
#include "vardex/diagnostics/ComTopic.h"
#include "vardex/diagnostics/ComTopics.h"
#include "vardex/diagnostics/DiagProbeListener.h"

#include <chrono>

namespace {

// Never destroyed: relay threads and the ORB's threads may still reach the module (its lock
// count) while the process runs its exit steps; the library is never unloaded.
CComModule& g_module = *new CComModule;
_ATL_OBJMAP_ENTRY g_objectMap[] = {com::objectEntry<CComTopic>(), com::objectEntry<CComTopics>(),
                                   com::objectEntry<CComDiagnostics>(), com::objectMapEnd()};

struct ModuleInit
{
    ModuleInit()
    {
        g_module.Init(g_objectMap, &LIBID_VeltrixDiagnosticsLib);
        // Listeners of single-threaded apartments are called through proxies of these.
        com::loadTypeLibrary(VeltrixDiagnosticsLib());
    }
    // At process exit, before the ORB's own statics go: relay threads still running get a
    // moment to end, for they release objects whose last release calls into the ORB.
    ~ModuleInit() { WaitForRelayThreads(std::chrono::seconds(2)); }
} g_moduleInit;

} // namespace

COM_MODULE_EXPORTS(g_module, &VeltrixDiagnosticsLib())
