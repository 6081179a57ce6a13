#pragma once
// The type library VeltrixDiagnosticsLib: the dispatch description of the four dual interfaces
// (identifiers, names, help strings, restricted members) that IDispatch and registration read.

#include "platform/com/Dispatch.h"
#include "vardex/diagnostics/VeltrixDiagnosticsLib.h"

#include <string>

template <> struct com::DispatchInfo<ISTopic>
{
    static const DispatchTable& table();
};
template <> struct com::DispatchInfo<ISTopics>
{
    static const DispatchTable& table();
};
template <> struct com::DispatchInfo<ISDiagnostics>
{
    static const DispatchTable& table();
};
template <> struct com::DispatchInfo<ISDiagListener>
{
    static const DispatchTable& table();
};

// The registration script of a coclass: its class key (program identifiers "<progId>.1" and
// "<progId>", threading model Both, the type library) and, with progIdKeys, the keys of both
// program identifiers, the version-independent one with its CurVer.
std::string ClassRegistryScript(REFCLSID clsid, const char* className, const char* progId,
                                bool progIdKeys);

// Version 1.0, locale 0x409.
const com::TypeLibrary& VeltrixDiagnosticsLib();
