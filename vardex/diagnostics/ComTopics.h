#pragma once
// The Topics coclass: an ordered collection of Topic objects that is at once an enumerator over
// one shared cursor, an automation collection and an editable set keyed by name.

#include "vardex/diagnostics/enumimpl.h"
#include "vardex/diagnostics/typelib.h"

class CComTopics : public IEnumImpl<CComTopics, ISTopics, ISTopic, &CLSID_Topics>,
                   public CComCoClass<CComTopics, &CLSID_Topics>,
                   public ISupportErrorInfoImpl<&ISTopics::iid>
{
public:
    static const _ATL_INTMAP_ENTRY* _GetEntries()
    {
        static constexpr _ATL_INTMAP_ENTRY entries[] = {
            com::interfaceEntry<CComTopics, ISTopics>(),
            com::interfaceEntry<CComTopics, IDispatch, ISTopics>(),
            com::interfaceEntry<CComTopics, ISupportErrorInfo>(), com::interfaceMapEnd()};
        return entries;
    }
    static const char* registryScript();

    HRESULT Add(BSTR Topic, SHORT Verbosity) override;
    HRESULT Delete(BSTR Topic) override;
};
