// A small in-process server for the client tests: the Counter class with its registration
// script and type library, behind the four exported entry points.

#include "tests/platform/com/Counter.h"

namespace {

constexpr GUID LIBID_TestCounterLib{
    0x5C0E0003, 0x7A11, 0x4B2C, {0x9D, 0x01, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};

CComModule g_module;
_ATL_OBJMAP_ENTRY g_objectMap[] = {com::objectEntry<CCounter>(), com::objectMapEnd()};

struct ModuleInit
{
    ModuleInit() { g_module.Init(g_objectMap, &LIBID_TestCounterLib); }
} g_moduleInit;

const com::TypeLibrary g_typeLibrary{LIBID_TestCounterLib,
                                     1,
                                     0,
                                     0x409,
                                     "TestCounterLib",
                                     "Test Counter Library 1.0",
                                     {&com::DispatchInfo<ICounter>::table()}};

} // namespace

COM_MODULE_EXPORTS(g_module, &g_typeLibrary)
