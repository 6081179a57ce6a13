#include "vardex/diagnostics/CriticalGIT.h"

#include "platform/com/Com.h"
#include "vardex/diagnostics/GenericClientException.h"
#include "vardex/diagnostics/ssyncguard.h"
#include "vardex/support/slog.h"

#include <cstdio>

namespace {
constexpr const char* kSource = "CriticalGIT.cpp";
constexpr int32_t kMsgNoInterfaceTable = 42264;
} // namespace

CriticalGlobalInterfaceTable::CriticalGlobalInterfaceTable()
{
    HRESULT hr = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&m_pGIT));
    if (FAILED(hr) || !m_pGIT) {
        GenericClientException e(E_FAIL, kMsgNoInterfaceTable, SIArray<SString>(),
                                 SString("Failed to initialize the GlobalInterfaceaTable."));
        char context[256];
        std::snprintf(context, sizeof context, "%s(%d) ", kSource, __LINE__);
        e.AddContext(context);
        if (GetLogLevel() >= 256 && IsFileLogged(kSource))
            LogTrace("%s", e.Details().GetString());
        throw e;
    }
}

CriticalGlobalInterfaceTable::~CriticalGlobalInterfaceTable()
{
    if (m_pGIT)
        m_pGIT->Release();
}

HRESULT CriticalGlobalInterfaceTable::RegisterInterfaceInGlobal(IUnknown* pUnk, REFIID riid,
                                                                DWORD* pdwCookie)
{
    SSyncGuard guard(m_monitor);
    return m_pGIT->RegisterInterfaceInGlobal(pUnk, riid, pdwCookie);
}

HRESULT CriticalGlobalInterfaceTable::RevokeInterfaceFromGlobal(DWORD dwCookie)
{
    SSyncGuard guard(m_monitor);
    return m_pGIT->RevokeInterfaceFromGlobal(dwCookie);
}

HRESULT CriticalGlobalInterfaceTable::GetInterfaceFromGlobal(DWORD dwCookie, REFIID riid,
                                                             void** ppv)
{
    SSyncGuard guard(m_monitor);
    return m_pGIT->GetInterfaceFromGlobal(dwCookie, riid, ppv);
}

SApartmentScope::SApartmentScope()
    : m_entered(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
{
}

SApartmentScope::~SApartmentScope()
{
    if (m_entered)
        CoUninitialize();
}
