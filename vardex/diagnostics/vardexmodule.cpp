// The library's module: the object map (Topic, Topics, Diagnostics), initialised when the
// library is loaded and terminated when it goes, and the four exported entry points.

#include "vardex/diagnostics/ComDiagnostics.h"
#include "vardex/diagnostics/ComTopic.h"
#include "vardex/diagnostics/ComTopics.h"

namespace {

CComModule g_module;
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
} g_moduleInit;

} // namespace

COM_MODULE_EXPORTS(g_module, &VeltrixDiagnosticsLib())
