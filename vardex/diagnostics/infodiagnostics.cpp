#include "vardex/diagnostics/infodiagnostics.h"

#include "platform/jtc/Synchronized.h"
#include "vardex/diagnostics/client_exception_mapper.h"
#include "vardex/support/sassert.h"
#include "vardex/support/slog.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

constexpr const char* kSource = "infodiagnostics.cpp";

// The ORB keeps no "was initialised" answer of its own: the library notes its first ORB.
std::atomic<bool> g_orbWasInitialized{false};
// The object adapter serves requests once it is ready; that is declared once per process.
std::once_flag g_adapterReady;

} // namespace

// Reports a failed check under the name the logs know it by.
#define REPORT_CHECK(text) LogAssert(__FILE__, SASSERT_STR(__LINE__), text, "")

void CInfoDiagnostics::Raise(HRESULT hr, int32_t msgId, const char* detail, int line) const
{
    GenericClientException e(hr, msgId, SIArray<SString>(), SString(detail));
    char context[256];
    std::snprintf(context, sizeof context, "%s(%d) ", kSource, line);
    e.AddContext(context);
    if (GetLogLevel() > 255 && IsFileLogged(kSource))
        LogTrace("%s", e.Details().GetString());
    throw GenericClientException(e);
}

namespace {

// How long a call into the report server may take before it fails with CORBA::TIMEOUT, in
// milliseconds: VARDEX_CALL_TIMEOUT_MS, else 30 s; 0 waits for ever. It is set on the library's
// own references only, never for the whole ORB, whose other calls belong to the host.
CORBA::ULong ClientCallTimeout()
{
    constexpr CORBA::ULong kDefault = 30000;
    const char* text = std::getenv("VARDEX_CALL_TIMEOUT_MS");
    if (!text || !std::isdigit(static_cast<unsigned char>(*text)))
        return kDefault;
    char* end = nullptr;
    unsigned long value = std::strtoul(text, &end, 10);
    return *end == '\0' && value <= 0xFFFFFFFFul ? CORBA::ULong(value) : kDefault;
}

// The object as a T, with the call limit of the library's references. A reference that names
// T as its type is taken as it stands; any other is asked (_is_a, a remote call bounded by the
// limit the object already has).
template <class T> typename T::_ptr_type Narrow(CORBA::Object_ptr object, CORBA::ULong timeout)
{
    const char* type = CORBA::is_nil(object) ? nullptr : object->_PR_getobj()->_mostDerivedRepoId();
    const bool typeKnown = type && std::strcmp(type, T::_PD_repoId) == 0;
    typename T::_ptr_type narrowed = typeKnown ? T::_unchecked_narrow(object) : T::_narrow(object);
    if (!CORBA::is_nil(narrowed))
        omniORB::setClientCallTimeout(narrowed, timeout);
    return narrowed;
}

} // namespace

bool CInfoDiagnostics::Connect(const char* factoryReference)
{
    JTCSynchronized guard(m_monitor);
    if (m_connected)
        return true;
    if (!factoryReference)
        Raise(kHrBadFactoryReference, kMsgBadFactoryReference, "Bad stringified factor ior.",
              __LINE__);
    m_connected = InitializeOrb() && ResolveService(factoryReference);
    return m_connected;
}

bool CInfoDiagnostics::InitializeOrb()
{
    JTCSynchronized guard(m_monitor);
    // The host process is expected to have started the ORB before.
    if (!g_orbWasInitialized)
        REPORT_CHECK("init.WasInitialized()");
    try {
        int argc = 0;
        if (CORBA::is_nil(m_orb)) {
            m_orb = CORBA::ORB_init(argc, nullptr, "");
            if (CORBA::is_nil(m_orb)) {
                REPORT_CHECK("!CORBA_is_nil(m_orb)");
                return false;
            }
            g_orbWasInitialized = true;
        }
        if (CORBA::is_nil(m_boa)) {
            m_boa = m_orb->BOA_init(argc, nullptr, "omniORB4_BOA");
            if (CORBA::is_nil(m_boa)) {
                REPORT_CHECK("!CORBA_is_nil(m_boa)");
                return false;
            }
            // Without this the adapter holds every request to the listener.
            std::call_once(g_adapterReady, [this] { m_boa->impl_is_ready(0, 1); });
        }
    }
    VX_CATCH_CORBA(kSource)
    m_orbInitialized = true;
    return true;
}

bool CInfoDiagnostics::ResolveService(const char* factoryReference)
{
    JTCSynchronized guard(m_monitor);
    if (!EnsureOrb())
        return false;
    try {
        CORBA::Object_var object;
        try {
            object = m_orb->string_to_object(factoryReference);
        } catch (const CORBA::BAD_PARAM&) {
            // not a reference at all
        } catch (const CORBA::MARSHAL&) {
            // a damaged reference
        }
        if (CORBA::is_nil(object))
            Raise(kHrBadFactoryReference, kMsgBadFactoryReference,
                  "Failed to convert stringified sifactory ior to corba object.", __LINE__);

        // The limit holds from the first remote call on: narrowing may ask the server.
        const CORBA::ULong timeout = ClientCallTimeout();
        omniORB::setClientCallTimeout(object, timeout);
        ImplServ::QuollFactory_var factory = Narrow<ImplServ::QuollFactory>(object, timeout);
        if (CORBA::is_nil(factory))
            Raise(kHrBadFactoryReference, kMsgBadFactoryReference,
                  "Failed to narrow to sifactory ior.", __LINE__);

        CORBA::Object_var serviceObject = factory->newService(kDiagnosticsServiceName, L"");
        if (CORBA::is_nil(serviceObject))
            Raise(kHrNullDiagnosticsService, kMsgNullDiagnosticsService,
                  "The diagnostics service object from server is null.", __LINE__);

        omniORB::setClientCallTimeout(serviceObject, timeout);
        m_service = Narrow<Norvel::Norveldiag::NorvelDiagnostics>(serviceObject, timeout);
        if (CORBA::is_nil(m_service))
            return false;
        return true;
    }
    VX_CATCH_CORBA(kSource)
}

bool CInfoDiagnostics::EnsureOrb()
{
    return m_orbInitialized || InitializeOrb();
}

bool CInfoDiagnostics::RegisterListener(ProbeListener listener, const TopicSeq& topics)
{
    JTCSynchronized guard(m_monitor);
    EnsureOrb();
    if (CORBA::is_nil(m_service))
        return false;
    try {
        // The server's own answer does not matter: the listener was handed over.
        m_service->registerDiagnosticsProbeListener(listener, topics);
    } catch (const CORBA::TIMEOUT& e) {
        // The server may have registered the listener after all: it is unregistered, so that
        // a new registration is the only one (whatever the undoing meets is left unsaid).
        try {
            m_service->unregisterDiagnosticsProbeListener(listener);
        } catch (const CORBA::Exception&) {
        }
        RaiseFromSystemException(e, kSource, __LINE__);
    }
    VX_CATCH_CORBA(kSource)
    return true;
}

bool CInfoDiagnostics::UnregisterListener(ProbeListener listener)
{
    JTCSynchronized guard(m_monitor);
    if (!m_orbInitialized)
        REPORT_CHECK("m_initialized");
    if (CORBA::is_nil(m_service))
        return false;
    try {
        m_service->unregisterDiagnosticsProbeListener(listener);
        if (!CORBA::is_nil(m_boa))
            m_boa->dispose(listener);
    }
    VX_CATCH_CORBA(kSource)
    return true;
}

bool CInfoDiagnostics::GetTopics(Norvel::Norveldiag::SeqTopicVerbosity_var& holder)
{
    JTCSynchronized guard(m_monitor);
    EnsureOrb();
    if (CORBA::is_nil(m_service))
        return false;
    try {
        holder = m_service->getTopics();
    }
    VX_CATCH_CORBA(kSource)
    return true;
}

bool CInfoDiagnostics::ChangeListenerFilter(ProbeListener listener, const TopicSeq& topics)
{
    JTCSynchronized guard(m_monitor);
    EnsureOrb();
    if (CORBA::is_nil(m_service))
        return false;
    try {
        m_service->setProbeListenerTopicalFilter(listener, topics);
    }
    VX_CATCH_CORBA(kSource)
    return true;
}

void CInfoDiagnostics::DisconnectListener(ProbeListener listener)
{
    JTCSynchronized guard(m_monitor);
    if (!m_orbInitialized)
        REPORT_CHECK("m_initialized");
    if (CORBA::is_nil(m_boa))
        return;
    try {
        m_boa->dispose(listener);
    }
    VX_CATCH_CORBA(kSource)
}

bool CInfoDiagnostics::IsServiceAlive()
{
    JTCSynchronized guard(m_monitor);
    if (CORBA::is_nil(m_service))
        return false;
    try {
        return !m_service->_non_existent();
    } catch (...) {
        return false;
    }
}
