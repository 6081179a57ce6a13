#pragma once
// The Topic coclass: a topic name and a verbosity, the element of a Topics collection.

#include "platform/com/Atl.h"
#include "vardex/diagnostics/scomobjectbase.h"
#include "vardex/diagnostics/typelib.h"

#include <mutex>

class CComTopic : public SComObjectBase,
                  public CComCoClass<CComTopic, &CLSID_Topic>,
                  public ISupportErrorInfoImpl<&ISTopic::iid>,
                  public IDispatchImpl<ISTopic>
{
public:
    using _CreatorClass = CComNotAggregatable<CComTopic>;

    static const _ATL_INTMAP_ENTRY* _GetEntries()
    {
        static constexpr _ATL_INTMAP_ENTRY entries[] = {
            com::interfaceEntry<CComTopic, ISTopic>(),
            com::interfaceEntry<CComTopic, IDispatch, ISTopic>(),
            com::interfaceEntry<CComTopic, ISupportErrorInfo>(), com::interfaceMapEnd()};
        return entries;
    }
    // The class key only: the Topic class has no program-identifier keys of its own.
    static const char* registryScript();

    ~CComTopic() override;

    HRESULT get_Topic(BSTR* pVal) override;
    HRESULT put_Topic(BSTR newVal) override;
    HRESULT get_Verbosity(SHORT* pVal) override;
    HRESULT put_Verbosity(SHORT newVal) override;

private:
    // Guards m_topic, so that two writers never free the same text.
    std::mutex m_topicLock;
    BSTR m_topic = nullptr;
    SHORT m_verbosity = 0;
};
