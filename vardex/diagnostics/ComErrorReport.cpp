#include "vardex/diagnostics/ComErrorReport.h"

#include "platform/com/Atl.h"
#include "platform/errorreport/ErrorReport.h"
#include "vardex/support/sassert.h"
#include "vardex/support/ssafearray.h"

#include <mutex>

namespace {

// Reports a failed creation of the component in the form the logs know.
void CheckCreated(HRESULT hr)
{
    if (FAILED(hr))
        LogAssert(__FILE__, SASSERT_STR(__LINE__), "((HRESULT)(hr) >= 0)", "");
}

HRESULT FallbackResult(HRESULT hr)
{
    return hr == S_OK ? DISP_E_EXCEPTION : hr;
}

IErrorReport* NewComponent()
{
    IErrorReport* component = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ErrorReport, nullptr, CLSCTX_INPROC_SERVER,
                                  IErrorReport::iid, reinterpret_cast<void**>(&component));
    CheckCreated(hr);
    return SUCCEEDED(hr) ? component : nullptr;
}

// The instance that ReportComException shares, released when the library unloads.
struct SharedComponent
{
    // A mutex and a pointer rather than std::call_once: a failed creation is tried again on
    // the next call, which call_once leaves to an exception that some runtimes never reset.
    std::mutex lock;
    IErrorReport* component = nullptr;
    ~SharedComponent()
    {
        if (component)
            component->Release();
    }

    // Null while it cannot be created; a later call tries again.
    IErrorReport* Get()
    {
        std::lock_guard guard(lock);
        if (!component)
            component = NewComponent();
        return component;
    }
};
SharedComponent g_shared;

// The batch lists as the component expects them: an array of three arrays of item numbers.
void BatchData(const SupplErrorInfo::ErrInfoBatch& batch, VARIANT* data)
{
    SIArray<CComVariant> lists;
    lists.SetSize(3);
    {
        // Each wrapper unlocks its array when it goes, before the lists that hold them do.
        SSafeArray<LONG> failed(batch.m_failedItems, 1);
        SSafeArray<LONG> codes(batch.m_failureCodes, 1);
        SSafeArray<LONG> untried(batch.m_untriedItems, 1);
        failed.HandOver(&lists.ElementAt(0));
        codes.HandOver(&lists.ElementAt(1));
        untried.HandOver(&lists.ElementAt(2));
    }
    SSafeArray<CComVariant> all(lists, 1);
    all.HandOver(data);
}

} // namespace

HRESULT ReportComError(REFCLSID clsid, REFIID iid, int32_t msgId, const SIArray<SString>& args,
                       HRESULT hr)
{
    GenericClientException report(hr, msgId, args, SString());
    IErrorReport* component = NewComponent();
    if (!component)
        return FallbackResult(hr);
    MessageListHandle handle;
    handle.list = &report.Messages();
    CComVariant none;
    HRESULT result = component->ReportError(&clsid, &iid, &handle, hr, 1, none);
    component->Release();
    return result;
}

HRESULT ReportComException(REFCLSID clsid, REFIID iid, const GenericClientException& e)
{
    CComVariant data;
    LONG state = e.GetSupplState();
    switch (state) {
    case GenericClientException::UnknownSupplInfo:
    case GenericClientException::NoSupplInfo:
        break;
    case GenericClientException::BatchError:
        BatchData(e.GetBatchError(), &data);
        break;
    default:
        SASSERT(0);
        state = GenericClientException::UnknownSupplInfo;
        break;
    }
    IErrorReport* component = g_shared.Get();
    if (!component)
        return FallbackResult(e.GetHResult());
    MessageListHandle handle;
    handle.list = &e.Messages();
    return component->ReportError(&clsid, &iid, &handle, e.GetHResult(), state, data);
}
