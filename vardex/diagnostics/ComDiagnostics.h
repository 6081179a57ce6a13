#pragma once
// The Diagnostics coclass: the object a COM client works with to read the report server's
// topics and to have the server's diagnostic messages relayed to its listener.

#include "platform/com/Atl.h"
#include "platform/jtc/Monitor.h"
#include "vardex/diagnostics/CCOMReconnect.h"
#include "vardex/diagnostics/CriticalGIT.h"
#include "vardex/diagnostics/infodiagnostics.h"
#include "vardex/diagnostics/scomobjectbase.h"
#include "vardex/diagnostics/typelib.h"

#include <atomic>

class CDiagProbeListener_impl;

class CComDiagnostics : public SComObjectBase,
                        public CComCoClass<CComDiagnostics, &CLSID_Diagnostics>,
                        public ISupportErrorInfoImpl<&ISDiagnostics::iid>,
                        public IDispatchImpl<ISDiagnostics>,
                        public CCOMReconnect<CComDiagnostics, ISDiagnostics>,
                        public ISInternalService
{
public:
    using _CreatorClass = CComNotAggregatable<CComDiagnostics>;

    static const _ATL_INTMAP_ENTRY* _GetEntries()
    {
        static constexpr _ATL_INTMAP_ENTRY entries[] = {
            com::interfaceEntry<CComDiagnostics, ISDiagnostics>(),
            com::interfaceEntry<CComDiagnostics, IDispatch, ISDiagnostics>(),
            com::interfaceEntry<CComDiagnostics, ISupportErrorInfo>(),
            com::interfaceEntry<CComDiagnostics, ISInternalService>(), com::interfaceMapEnd()};
        return entries;
    }
    static const char* registryScript();

    CComDiagnostics();
    // The final release: unregisters a listener still registered and lets everything go; no
    // failure leaves it.
    void FinalRelease();

    // ISDiagnostics
    HRESULT get_Topics(ISTopics** ppPairs) override;
    HRESULT RegisterProbeListener(ISDiagListener* pListener, ISTopics* pPairs) override;
    HRESULT UnregisterProbeListener() override;
    HRESULT ChangeProbeListenerTopicalFilter(ISTopics* pPairs) override;
    HRESULT get_Registered(LONG* pVal) override;

    // ISInternalService
    HRESULT ConnectService(BSTR factoryReference) override;
    HRESULT AttachParent(IUnknown* parent) override;

    // The drop step: the servant is disconnected from the ORB (the server is not told) and the
    // registration ends; the listener stays in the table. Called by re-registration and by the
    // servant's free.
    // cookieHandedOver: the caller revokes the cookie itself (the relay of the server's free).
    HRESULT DropListener(bool cookieHandedOver);
    // The server's free of one servant: the drop step, only when that servant is the current
    // registration's (a late free of a replaced one must not end its successor). True when it
    // dropped the registration, whose listener the caller is then to tell.
    bool DropListenerOf(const CDiagProbeListener_impl* servant);

private:
    ISDiagnostics* Self() { return static_cast<ISDiagnostics*>(this); }
    // The topics of a collection from its current position, one at a time.
    static CInfoDiagnostics::TopicSeq ReadTopics(ISTopics* pPairs);
    // Lets the current servant go: disconnected from the ORB, so that its reference to this
    // object no longer keeps it alive, and the reference released.
    void ReleaseServant();
    HRESULT Register(ISDiagListener* pListener, ISTopics* pPairs);

    CRefCountPtr<CriticalGlobalInterfaceTable> m_pGIT;
    CRefCountPtr<CInfoDiagnostics> m_pDiagnostics;
    Norvel::Norveldiag::NorvelDiagnosticsProbeListener_var m_pCorbaListener;
    // The servant behind m_pCorbaListener, for identity only (the adapter owns it).
    const CDiagProbeListener_impl* m_servant = nullptr;
    DWORD m_listenerCookie = 0;
    // A cookie is in the table: revoked when the registration is replaced or the object goes.
    bool m_haveCookie = false;
    bool m_connected = false;
    std::atomic<bool> m_registered{false};
    JTCMonitor m_monitor;
};
