#include "vardex/diagnostics/typelib.h"

using com::dispatchEntry;
using com::DispatchTable;

const DispatchTable& com::DispatchInfo<ISTopic>::table()
{
    static const DispatchTable t{
        "ISTopic",
        ISTopic::iid,
        "ISTopicValuePair Interface",
        {
            dispatchEntry<&ISTopic::get_Topic>(0x60020000, "Topic", DISPATCH_PROPERTYGET,
                                               "property topic"),
            dispatchEntry<&ISTopic::put_Topic>(0x60020000, "Topic", DISPATCH_PROPERTYPUT,
                                               "property topic"),
            dispatchEntry<&ISTopic::get_Verbosity>(0x60020002, "Verbosity", DISPATCH_PROPERTYGET,
                                                   "property verbosity"),
            dispatchEntry<&ISTopic::put_Verbosity>(0x60020002, "Verbosity", DISPATCH_PROPERTYPUT,
                                                   "property verbosity"),
        }};
    return t;
}

const DispatchTable& com::DispatchInfo<ISTopics>::table()
{
    static const DispatchTable t{
        "ISTopics",
        ISTopics::iid,
        "ISTopicValuePairs Interface",
        {
            dispatchEntry<&ISTopics::Next>(0x60020000, "Next", DISPATCH_METHOD,
                                           "Get next pair in the enumeration",
                                           FUNCFLAG_FRESTRICTED),
            dispatchEntry<&ISTopics::Reset>(0x60020001, "Reset", DISPATCH_METHOD,
                                            "Reset enumeration iterator to the beginning",
                                            FUNCFLAG_FRESTRICTED),
            dispatchEntry<&ISTopics::Skip>(0x60020002, "Skip", DISPATCH_METHOD,
                                           "Skip items in the enumeration", FUNCFLAG_FRESTRICTED),
            dispatchEntry<&ISTopics::Clone>(0x60020003, "Clone", DISPATCH_METHOD,
                                            "Clone a TopicValueParis enumerator",
                                            FUNCFLAG_FRESTRICTED),
            dispatchEntry<&ISTopics::get_Count>(0x60020004, "Count", DISPATCH_PROPERTYGET,
                                                "property Count"),
            dispatchEntry<&ISTopics::get_Item>(
                0x60020005, "Item", DISPATCH_PROPERTYGET,
                "Get Pair given Index, Index can be ordinal position or id"),
            dispatchEntry<&ISTopics::_NewEnum>(DISPID_NEWENUM, "_NewEnum", DISPATCH_METHOD,
                                               "Enumerator for the collection",
                                               FUNCFLAG_FRESTRICTED),
            dispatchEntry<&ISTopics::Add>(0x60020007, "Add", DISPATCH_METHOD, "Add a new pair"),
            dispatchEntry<&ISTopics::Delete>(0x60020008, "Delete", DISPATCH_METHOD,
                                             "Delete a pair"),
        }};
    return t;
}

const DispatchTable& com::DispatchInfo<ISDiagnostics>::table()
{
    static const DispatchTable t{
        "ISDiagnostics",
        ISDiagnostics::iid,
        "ISDiagnostics Interface",
        {
            dispatchEntry<&ISDiagnostics::get_Topics>(0x60020000, "Topics", DISPATCH_PROPERTYGET,
                                                      "get all the topics"),
            dispatchEntry<&ISDiagnostics::RegisterProbeListener>(
                0x60020001, "RegisterProbeListener", DISPATCH_METHOD, "register a listener"),
            dispatchEntry<&ISDiagnostics::UnregisterProbeListener>(
                0x60020002, "UnregisterProbeListener", DISPATCH_METHOD, "unregister a listener"),
            dispatchEntry<&ISDiagnostics::ChangeProbeListenerTopicalFilter>(
                0x60020003, "ChangeProbeListenerTopicalFilter", DISPATCH_METHOD,
                "change topic filter for this listener"),
            dispatchEntry<&ISDiagnostics::get_Registered>(
                0x60020004, "Registered", DISPATCH_PROPERTYGET,
                "check if a listener has been registered"),
        }};
    return t;
}

const DispatchTable& com::DispatchInfo<ISDiagListener>::table()
{
    static const DispatchTable t{
        "ISDiagListener",
        ISDiagListener::iid,
        "ISDiagListener Interface",
        {
            dispatchEntry<&ISDiagListener::DiagnosticsMessage>(
                0x60020000, "DiagnosticsMessage", DISPATCH_METHOD, "method DiagnosticsMessage"),
            dispatchEntry<&ISDiagListener::Free>(0x60020001, "Free", DISPATCH_METHOD,
                                                 "method Free"),
        }};
    return t;
}

const com::TypeLibrary& VeltrixDiagnosticsLib()
{
    static const com::TypeLibrary library{
        LIBID_VeltrixDiagnosticsLib,
        1,
        0,
        0x409,
        "VeltrixDiagnosticsLib",
        "Veltrix Enterprise Diagnostics Library 8.0",
        {&com::DispatchInfo<ISTopic>::table(), &com::DispatchInfo<ISTopics>::table(),
         &com::DispatchInfo<ISDiagnostics>::table(), &com::DispatchInfo<ISDiagListener>::table()}};
    return library;
}

std::string ClassRegistryScript(REFCLSID clsid, const char* className, const char* progId,
                                bool progIdKeys)
{
    const std::string id = com::guidToString(clsid);
    const std::string name = className;
    const std::string versioned = std::string(progId) + ".1";
    std::string script = "HKCR\n{\n";
    if (progIdKeys) {
        script += "    " + versioned + " = s '" + name + "'\n    {\n        CLSID = s '" + id +
                  "'\n    }\n";
        script += "    " + std::string(progId) + " = s '" + name + "'\n    {\n        CLSID = s '" +
                  id + "'\n        CurVer = s '" + versioned + "'\n    }\n";
    }
    script += "    NoRemove CLSID\n    {\n        ForceRemove " + id + " = s '" + name +
              "'\n        {\n            ProgID = s '" + versioned +
              "'\n            VersionIndependentProgID = s '" + progId +
              "'\n            ForceRemove Programmable\n" +
              "            InprocServer32 = s '%MODULE%'\n            {\n" +
              "                val ThreadingModel = s 'Both'\n            }\n" +
              "            TypeLib = s '" + com::guidToString(LIBID_VeltrixDiagnosticsLib) +
              "'\n        }\n    }\n}\n";
    return script;
}
