#include "vardex/diagnostics/ComTopic.h"

#include "vardex/diagnostics/enumimpl.h"

const char* CComTopic::registryScript()
{
    static const std::string script =
        ClassRegistryScript(CLSID_Topic, "Topic Class", "VeltrixEnterprise.FW_Topic", false);
    return script.c_str();
}

CComTopic::~CComTopic()
{
    SysFreeString(m_topic);
}

HRESULT CComTopic::get_Topic(BSTR* pVal)
{
    return SComCall(*this, CLSID_Topic, ISTopic::iid, [&]() -> HRESULT {
        if (!pVal)
            return VX_NULL_POINTER("Invalid pointer pVal");
        std::lock_guard<std::mutex> guard(m_topicLock);
        *pVal = m_topic ? com::bstrCopy(m_topic) : SysAllocString(u"");
        return *pVal ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT CComTopic::put_Topic(BSTR newVal)
{
    return SComCall(*this, CLSID_Topic, ISTopic::iid, [&]() -> HRESULT {
        // The text up to its first zero.
        BSTR copy = newVal ? SysAllocString(newVal) : nullptr;
        std::lock_guard<std::mutex> guard(m_topicLock);
        SysFreeString(m_topic);
        m_topic = copy;
        return S_OK;
    });
}

HRESULT CComTopic::get_Verbosity(SHORT* pVal)
{
    return SComCall(*this, CLSID_Topic, ISTopic::iid, [&]() -> HRESULT {
        if (!pVal)
            return VX_NULL_POINTER("Invalid pointer pVal");
        *pVal = m_verbosity;
        return S_OK;
    });
}

HRESULT CComTopic::put_Verbosity(SHORT newVal)
{
    return SComCall(*this, CLSID_Topic, ISTopic::iid, [&]() -> HRESULT {
        m_verbosity = newVal;
        return S_OK;
    });
}
