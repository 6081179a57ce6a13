#include "vardex/diagnostics/ComTopics.h"

#include "vardex/diagnostics/ComTopic.h"
#include "vardex/support/sassert.h"
#include "vardex/support/scodepage.h"

#include "platform/reslib/Kernel.h"

bool SBstrKeyLess::operator()(const CComBSTR& a, const CComBSTR& b) const
{
    if (!a.m_str || !b.m_str)
        return !a.m_str && b.m_str;
    const OLECHAR* p = a.m_str;
    const OLECHAR* q = b.m_str;
    while (*p && *p == *q) {
        ++p;
        ++q;
    }
    return static_cast<std::uint16_t>(*p) < static_cast<std::uint16_t>(*q);
}

CComBSTR SNameKey(BSTR name)
{
    if (!name || !*name)
        return CComBSTR();
    SString ansi = SW2A(name);
    std::vector<char> upper(ansi.GetString(), ansi.GetString() + ansi.GetLength() + 1);
    CharUpperA(upper.data());
    int32_t units = SMultiByteToWide(-1, upper.data(), -1, nullptr, 0);
    if (units <= 0)
        return CComBSTR();
    std::u16string wide(std::size_t(units), u'\0');
    SMultiByteToWide(-1, upper.data(), -1, wide.data(), units);
    wide.resize(std::size_t(units - 1));
    return CComBSTR(std::u16string_view(wide));
}

HRESULT SReportNullArgument(const char* file, const char* line, const char* text, HRESULT hr,
                            int32_t msgId)
{
    LogAssert(file, line, "false", text);
    return ReportComError(GUID_NULL, GUID_NULL, msgId, SIArray<SString>(), hr);
}

const char* CComTopics::registryScript()
{
    static const std::string script =
        ClassRegistryScript(CLSID_Topics, "Topics Class", "VeltrixEnterprise.Topics", true);
    return script.c_str();
}

HRESULT CComTopics::Add(BSTR Topic, SHORT Verbosity)
{
    return SComCall(*this, CLSID_Topics, ISTopics::iid, [&]() -> HRESULT {
        if (!Topic)
            return VX_NULL_ARGUMENT("Invalid parameter topic");
        if (!*Topic)
            return E_INVALIDARG;
        CComObject<CComTopic>* topic = nullptr;
        if (FAILED(CComObject<CComTopic>::CreateInstance(&topic)))
            return ReportComError(CLSID_Topics, ISTopics::iid, 47016, SIArray<SString>(), E_FAIL);
        CComPtr<ISTopic> element(topic);
        topic->SetObjectLocale(m_ObjectLocale);
        CComBSTR key = SNameKey(Topic);
        {
            SSyncGuard guard(m_lock);
            m_elements.push_back(element);
            element->put_Topic(Topic);
            element->put_Verbosity(Verbosity);
            if (key.m_str) {
                SSyncGuard mapGuard(m_mapLock);
                m_index.SetAt(key, long(m_elements.size() - 1));
            }
        }
        Reset();
        return S_OK;
    });
}

HRESULT CComTopics::Delete(BSTR Topic)
{
    return SComCall(*this, CLSID_Topics, ISTopics::iid, [&]() -> HRESULT {
        CComBSTR key = SNameKey(Topic);
        {
            SSyncGuard guard(m_lock);
            SSyncGuard mapGuard(m_mapLock);
            long position = 0;
            if (!key.m_str || !m_index.Lookup(key, position))
                return S_FALSE;
            m_index.RemoveKey(key);
            // The positions after the deleted one move down by one, in one pass over the index
            // that changes the values in place (no key is looked up again).
            for (auto& entry : m_index)
                if (entry.second > position)
                    --entry.second;
            m_elements.erase(m_elements.begin() + position);
        }
        Reset();
        return S_OK;
    });
}
