#include "vardex/diagnostics/ComDiagnostics.h"

#include "vardex/diagnostics/ComTopics.h"
#include "vardex/diagnostics/DiagProbeListener.h"
#include "vardex/diagnostics/corbawstring.h"
#include "vardex/diagnostics/ssyncguard.h"
#include "vardex/diagnostics/vardexmodule.h"
#include "vardex/support/sassert.h"

#include <mutex>
#include <new>
#include <vector>

namespace {

HRESULT Report(int32_t msgId, HRESULT hr)
{
    return ReportComError(CLSID_Diagnostics, ISDiagnostics::iid, msgId, SIArray<SString>(), hr);
}

constexpr HRESULT kHrAlreadyRegistered = HRESULT(0x80042A0D);
constexpr HRESULT kHrRegistrationFailed = HRESULT(0x80042A0C);
constexpr HRESULT kHrNotRegistered = HRESULT(0x80042A0E);

#define REPORT_CHECK(text) LogAssert(__FILE__, SASSERT_STR(__LINE__), text, "")

// What an object lets go of once the ORB is out of reach is kept for good instead: releasing it
// would reach the ORB, whose statics may be gone (or, in a forked child, whose locks the
// parent's threads may hold).
void KeepForGood(void* p)
{
    static std::mutex lock;
    static auto* kept = new std::vector<void*>;
    std::lock_guard guard(lock);
    kept->push_back(p);
}

} // namespace

const char* CComDiagnostics::registryScript()
{
    static const std::string script = ClassRegistryScript(CLSID_Diagnostics, "Diagnostics Class",
                                                          "VeltrixEnterprise.Diagnostics", true);
    return script.c_str();
}

CComDiagnostics::CComDiagnostics()
{
    auto* client = new (std::nothrow) CInfoDiagnostics;
    if (!client)
        REPORT_CHECK("m_pDiagnostics != 0");
    m_pDiagnostics.Adopt(client);
}

void CComDiagnostics::FinalRelease()
{
    if (OrbOutOfReach()) {
        // Neither the server nor the adapter is told: the registration ends with the process.
        KeepForGood(m_pCorbaListener._retn());
        KeepForGood(new CRefCountPtr<CInfoDiagnostics>(std::move(m_pDiagnostics)));
        m_servant = nullptr;
        // A forked child's table may be locked by a thread of the parent for good.
        if (m_haveCookie && m_pGIT && !ForkedAfterOrb()) {
            SApartmentScope apartment;
            m_pGIT->RevokeInterfaceFromGlobal(m_listenerCookie);
        }
        m_pGIT = nullptr;
    }
    try {
        if (m_registered && !OrbOutOfReach()) {
            if (!m_pDiagnostics || CORBA::is_nil(m_pCorbaListener))
                REPORT_CHECK("(m_pDiagnostics != 0) && (!CORBA_is_nil(m_pCorbaListener))");
            else
                m_pDiagnostics->UnregisterListener(m_pCorbaListener);
        }
    } catch (...) {
        // the object goes anyway
    }
    try {
        // The client's listener leaves the table with the object; the last release may come on
        // an ORB thread.
        if (m_haveCookie && m_pGIT) {
            SApartmentScope apartment;
            m_pGIT->RevokeInterfaceFromGlobal(m_listenerCookie);
        }
        m_pCorbaListener = Norvel::Norveldiag::NorvelDiagnosticsProbeListener::_nil();
        m_servant = nullptr;
        m_pDiagnostics = nullptr;
        m_pGIT = nullptr;
    } catch (...) {
    }
    if (m_pParent) {
        m_pParent->DetachChild(Self());
        m_pParent->Release();
        m_pParent = nullptr;
    }
}

HRESULT CComDiagnostics::AttachParent(IUnknown* parent)
{
    if (!m_pParent && parent) {
        ISParentService* service = nullptr;
        if (SUCCEEDED(
                parent->QueryInterface(ISParentService::iid, reinterpret_cast<void**>(&service))) &&
            service) {
            m_pParent = service;
            m_pParent->AttachChild(Self());
        }
    }
    LCID locale = LOCALE_USER_DEFAULT;
    // The parent's locale is asked of the pointer as it was handed in.
    if (parent)
        reinterpret_cast<ISParentService*>(parent)->GetLocale(&locale);
    m_ObjectLocale = locale;
    return S_OK;
}

HRESULT CComDiagnostics::ConnectService(BSTR factoryReference)
{
    return SComCall(*this, CLSID_Diagnostics, ISDiagnostics::iid, [&]() -> HRESULT {
        SSyncGuard guard(m_monitor);
        if (m_pDiagnostics && m_connected) {
            auto* client = new (std::nothrow) CInfoDiagnostics;
            if (!client)
                return Report(42256, E_FAIL);
            m_pDiagnostics.Adopt(client);
        }
        if (!m_pDiagnostics) {
            REPORT_CHECK("m_pDiagnostics != 0");
            return E_FAIL;
        }
        SString reference = SW2A(factoryReference);
        bool connected;
        {
            OrbStartScope orbStart;
            connected = m_pDiagnostics->Connect(reference.GetString());
        }
        if (!connected)
            return E_FAIL;
        m_connected = true;
        return S_OK;
    });
}

HRESULT CComDiagnostics::get_Topics(ISTopics** ppPairs)
{
    return SComCall(*this, CLSID_Diagnostics, ISDiagnostics::iid, [&]() -> HRESULT {
        if (!ppPairs)
            return VX_NULL_POINTER("Invalid pointer ppPairs");
        *ppPairs = nullptr;
        return Retried([&]() -> HRESULT {
            // A counted copy, taken for each attempt: a reconnection or a concurrent
            // ConnectService may replace the client.
            CRefCountPtr<CInfoDiagnostics> client;
            {
                SSyncGuard guard(m_monitor);
                client = m_pDiagnostics;
            }
            if (!client) {
                REPORT_CHECK("m_pDiagnostics != 0");
                return E_FAIL;
            }
            CComObject<CComTopics>* topics = nullptr;
            if (FAILED(CComObject<CComTopics>::CreateInstance(&topics)))
                return Report(42047, E_FAIL);
            CComPtr<ISTopics> collection;
            if (FAILED(
                    topics->QueryInterface(ISTopics::iid, reinterpret_cast<void**>(&collection)))) {
                delete topics;
                return Report(42047, E_NOINTERFACE);
            }
            topics->SetObjectLocale(m_ObjectLocale);
            Norvel::Norveldiag::SeqTopicVerbosity_var server;
            {
                OrbStartScope orbStart;
                client->GetTopics(server);
            }
            if (server.operator->()) {
                for (CORBA::ULong i = 0; i < server->length(); ++i) {
                    CComBSTR topic(std::u16string_view(Utf16FromCorba(server[i].topic)));
                    collection->Add(topic, server[i].verbosity);
                }
            }
            *ppPairs = collection.Detach();
            return S_OK;
        });
    });
}

CInfoDiagnostics::TopicSeq CComDiagnostics::ReadTopics(ISTopics* pPairs)
{
    CInfoDiagnostics::TopicSeq topics;
    for (;;) {
        ISTopic* topic = nullptr;
        LONG fetched = 0;
        if (pPairs->Next(1, &topic, &fetched) != S_OK || !topic)
            break;
        CComBSTR name;
        SHORT verbosity = 0;
        topic->get_Topic(&name);
        topic->get_Verbosity(&verbosity);
        topic->Release();
        // Through the ANSI code page, as the server's topics are kept.
        SStringW wide(SW2A(name.m_str).GetString());
        CORBA::ULong at = topics.length();
        topics.length(at + 1);
        topics[at].topic = CorbaWStringDup(wide.GetString());
        topics[at].verbosity = verbosity;
    }
    return topics;
}

void CComDiagnostics::ReleaseServant()
{
    if (CORBA::is_nil(m_pCorbaListener))
        return;
    try {
        if (m_pDiagnostics)
            m_pDiagnostics->DisconnectListener(m_pCorbaListener);
    } catch (const GenericClientException&) {
        // the reference goes all the same
    }
    m_pCorbaListener = Norvel::Norveldiag::NorvelDiagnosticsProbeListener::_nil();
    m_servant = nullptr;
}

HRESULT CComDiagnostics::RegisterProbeListener(ISDiagListener* pListener, ISTopics* pPairs)
{
    return SComCall(*this, CLSID_Diagnostics, ISDiagnostics::iid, [&]() -> HRESULT {
        if (!pListener)
            return VX_NULL_ARGUMENT("Invalid parameter pListener");
        if (!pPairs)
            return VX_NULL_ARGUMENT("Invalid parameter pPairs");
        SSyncGuard guard(m_monitor);
        return Register(pListener, pPairs);
    });
}

HRESULT CComDiagnostics::Register(ISDiagListener* pListener, ISTopics* pPairs)
{
    if (!m_pDiagnostics) {
        REPORT_CHECK("m_pDiagnostics != 0");
        return E_FAIL;
    }
    if (m_registered) {
        if (m_pDiagnostics->IsServiceAlive())
            return Report(42258, kHrAlreadyRegistered);
        if (FAILED(DropListener(false)))
            return Report(42257, kHrRegistrationFailed);
        // clang-format off
        SASSERT(!m_registered);
        // clang-format on
    }
    if (!m_pGIT) {
        try {
            auto* table = new (std::nothrow) CriticalGlobalInterfaceTable;
            if (!table) {
                Report(42256, E_OUTOFMEMORY);
                return Report(42264, E_FAIL);
            }
            m_pGIT.Adopt(table);
        } catch (const GenericClientException& e) {
            ReportComException(CLSID_Diagnostics, ISDiagnostics::iid, e);
            return Report(42264, E_FAIL);
        }
    }
    // The listener of a registration that ended with a dead service leaves the table now.
    if (m_haveCookie) {
        m_pGIT->RevokeInterfaceFromGlobal(m_listenerCookie);
        m_haveCookie = false;
    }
    if (FAILED(
            m_pGIT->RegisterInterfaceInGlobal(pListener, ISDiagListener::iid, &m_listenerCookie)))
        return Report(42257, kHrRegistrationFailed);
    m_haveCookie = true;

    CInfoDiagnostics::TopicSeq topics;
    bool topicsRead = false;
    try {
        return Retried([&]() -> HRESULT {
            if (!m_pDiagnostics->IsOrbInitialized()) {
                OrbStartScope orbStart;
                m_pDiagnostics->InitializeOrb();
            }
            auto* servant =
                new (std::nothrow) CDiagProbeListener_impl(this, m_pGIT, m_listenerCookie);
            ReleaseServant();
            if (!servant)
                return Report(42256, E_OUTOFMEMORY);
            servant->_obj_is_ready(CORBA::BOA::getBOA());
            // The adapter owns the servant from now on: disposing it deletes it.
            m_pCorbaListener = servant->_this();
            m_servant = servant;
            if (!topicsRead) {
                topics = ReadTopics(pPairs);
                topicsRead = true;
            }
            m_pDiagnostics->RegisterListener(m_pCorbaListener, topics);
            m_registered = true;
            return S_OK;
        });
    } catch (const GenericClientException& e) {
        // The servant of a failed registration goes, and with it its reference to this object.
        ReleaseServant();
        m_haveCookie = false;
        if (FAILED(m_pGIT->RevokeInterfaceFromGlobal(m_listenerCookie)))
            return Report(42262, kHrAlreadyRegistered);
        return ReportComException(CLSID_Diagnostics, ISDiagnostics::iid, e);
    }
}

HRESULT CComDiagnostics::UnregisterProbeListener()
{
    return SComCall(*this, CLSID_Diagnostics, ISDiagnostics::iid, [&]() -> HRESULT {
        SSyncGuard guard(m_monitor);
        if (!m_registered)
            return Report(42259, kHrNotRegistered);
        Retried([&] {
            m_pDiagnostics->UnregisterListener(m_pCorbaListener);
            m_pDiagnostics->DisconnectListener(m_pCorbaListener);
            return S_OK;
        });
        m_pCorbaListener = Norvel::Norveldiag::NorvelDiagnosticsProbeListener::_nil();
        m_servant = nullptr;
        m_registered = false;
        // The cookie goes only once the server has let the listener go, also from a thread
        // outside any apartment. One that cannot be revoked stays marked: the next registration
        // or the object's end revokes it, so that the table never keeps the listener for good.
        SApartmentScope apartment;
        if (FAILED(m_pGIT->RevokeInterfaceFromGlobal(m_listenerCookie)))
            return Report(42262, E_FAIL);
        m_haveCookie = false;
        return S_OK;
    });
}

HRESULT CComDiagnostics::ChangeProbeListenerTopicalFilter(ISTopics* pPairs)
{
    return SComCall(*this, CLSID_Diagnostics, ISDiagnostics::iid, [&]() -> HRESULT {
        if (!pPairs)
            return VX_NULL_ARGUMENT("Invalid parameter pPairs");
        SSyncGuard guard(m_monitor);
        if (!m_registered)
            return Report(47012, E_FAIL);
        if (!m_pDiagnostics->IsServiceAlive())
            return Report(47013, E_FAIL);
        CInfoDiagnostics::TopicSeq topics;
        bool topicsRead = false;
        return Retried([&]() -> HRESULT {
            if (!topicsRead) {
                topics = ReadTopics(pPairs);
                topicsRead = true;
            }
            m_pDiagnostics->ChangeListenerFilter(m_pCorbaListener, topics);
            return S_OK;
        });
    });
}

HRESULT CComDiagnostics::get_Registered(LONG* pVal)
{
    return SComCall(*this, CLSID_Diagnostics, ISDiagnostics::iid, [&]() -> HRESULT {
        if (!pVal)
            return VX_NULL_POINTER("Invalid pointer pVal");
        *pVal = m_registered ? 1 : 0;
        return S_OK;
    });
}

HRESULT CComDiagnostics::DropListener(bool cookieHandedOver)
{
    SSyncGuard guard(m_monitor);
    if (CORBA::is_nil(m_pCorbaListener))
        REPORT_CHECK("!CORBA_is_nil(m_pCorbaListener)");
    try {
        if (m_pDiagnostics)
            m_pDiagnostics->DisconnectListener(m_pCorbaListener);
    } catch (const GenericClientException& e) {
        return ReportComException(CLSID_Diagnostics, ISDiagnostics::iid, e);
    }
    m_pCorbaListener = Norvel::Norveldiag::NorvelDiagnosticsProbeListener::_nil();
    m_servant = nullptr;
    m_registered = false;
    if (cookieHandedOver)
        m_haveCookie = false;
    return S_OK;
}

bool CComDiagnostics::DropListenerOf(const CDiagProbeListener_impl* servant)
{
    SSyncGuard guard(m_monitor);
    if (!servant || servant != m_servant)
        return false;
    return SUCCEEDED(DropListener(true));
}
