// The per-thread error information and the error object that CreateErrorInfo makes.

#include "platform/com/Atl.h"

namespace {

class ErrorInfo final : public IErrorInfo, public ICreateErrorInfo
{
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IErrorInfo)
            *ppv = static_cast<IErrorInfo*>(this);
        else if (riid == IID_ICreateErrorInfo)
            *ppv = static_cast<ICreateErrorInfo*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return CComMultiThreadModel::Increment(&m_count); }
    ULONG Release() override
    {
        ULONG count = CComMultiThreadModel::Decrement(&m_count);
        if (count == 0)
            delete this;
        return count;
    }

    HRESULT GetGUID(GUID* pGUID) override
    {
        if (!pGUID)
            return E_INVALIDARG;
        *pGUID = m_guid;
        return S_OK;
    }
    HRESULT GetSource(BSTR* out) override { return m_source.CopyTo(out); }
    HRESULT GetDescription(BSTR* out) override { return m_description.CopyTo(out); }
    HRESULT GetHelpFile(BSTR* out) override { return m_helpFile.CopyTo(out); }
    HRESULT GetHelpContext(DWORD* out) override
    {
        if (!out)
            return E_INVALIDARG;
        *out = m_helpContext;
        return S_OK;
    }

    HRESULT SetGUID(REFGUID guid) override
    {
        m_guid = guid;
        return S_OK;
    }
    HRESULT SetSource(LPOLESTR text) override { return set(m_source, text); }
    HRESULT SetDescription(LPOLESTR text) override { return set(m_description, text); }
    HRESULT SetHelpFile(LPOLESTR text) override { return set(m_helpFile, text); }
    HRESULT SetHelpContext(DWORD context) override
    {
        m_helpContext = context;
        return S_OK;
    }

private:
    static HRESULT set(CComBSTR& field, LPOLESTR text)
    {
        field = text;
        return (text && !field) ? E_OUTOFMEMORY : S_OK;
    }

    LONG m_count = 1;
    GUID m_guid{};
    CComBSTR m_source;
    CComBSTR m_description;
    CComBSTR m_helpFile;
    DWORD m_helpContext = 0;
};

// Releases the thread's error object when the thread ends. The main thread's may still be set
// afterwards, by the host's globals as the process ends: it starts empty again.
struct CurrentError
{
    IErrorInfo* info = nullptr;
    ~CurrentError()
    {
        if (info)
            info->Release();
        info = nullptr;
    }
};
thread_local CurrentError t_current;

} // namespace

HRESULT SetErrorInfo(ULONG, IErrorInfo* errorInfo)
{
    if (errorInfo)
        errorInfo->AddRef();
    IErrorInfo* old = t_current.info;
    t_current.info = errorInfo;
    if (old)
        old->Release();
    return S_OK;
}

HRESULT GetErrorInfo(ULONG, IErrorInfo** errorInfo)
{
    if (!errorInfo)
        return E_INVALIDARG;
    *errorInfo = t_current.info;
    t_current.info = nullptr;
    return *errorInfo ? S_OK : S_FALSE;
}

HRESULT CreateErrorInfo(ICreateErrorInfo** createErrorInfo)
{
    if (!createErrorInfo)
        return E_INVALIDARG;
    auto* info = new (std::nothrow) ErrorInfo();
    *createErrorInfo = info ? static_cast<ICreateErrorInfo*>(info) : nullptr;
    return info ? S_OK : E_OUTOFMEMORY;
}
