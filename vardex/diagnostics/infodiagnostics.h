#pragma once
// The client of the report server's diagnostics service. It initialises the process's ORB and
// object adapter, turns the stringified reference of the server's service factory into the
// diagnostics service, and forwards the few calls the Diagnostics object needs. Every CORBA
// exception of a call leaves as a GenericClientException; false means "not connected".

#include "platform/jtc/Monitor.h"
#include "vardex/diagnostics/GenericClientException.h"
#include "vardex/support/refcount.h"

#include <omniORB4/CORBA.h>

#include "implserv.hh"
#include "norveldiag.hh"

// Failures of connecting.
inline constexpr HRESULT kHrBadFactoryReference = HRESULT(0x80042A27);
inline constexpr HRESULT kHrNullDiagnosticsService = HRESULT(0x80042A28);
inline constexpr int32_t kMsgBadFactoryReference = 47014;
inline constexpr int32_t kMsgNullDiagnosticsService = 47015;

// The name under which the service factory hands out the diagnostics service.
inline constexpr CORBA::WChar kDiagnosticsServiceName[] = L"Diagnostics";

class CInfoDiagnostics : public CRefCount
{
public:
    using ProbeListener = Norvel::Norveldiag::NorvelDiagnosticsProbeListener_ptr;
    using TopicSeq = Norvel::Norveldiag::SeqTopicVerbosity;

    CInfoDiagnostics() = default;

    // Initialises the ORB and resolves the service; true only when a service is held. A
    // connected client answers true at once (a new connection takes a new client object).
    bool Connect(const char* factoryReference);

    // Each returns false when no service is held (nothing was sent).
    bool RegisterListener(ProbeListener listener, const TopicSeq& topics);
    // Unregisters the listener, then disconnects its servant from the ORB.
    bool UnregisterListener(ProbeListener listener);
    // The holder takes the server's topics and frees the sequence it held before.
    bool GetTopics(Norvel::Norveldiag::SeqTopicVerbosity_var& holder);
    bool ChangeListenerFilter(ProbeListener listener, const TopicSeq& topics);
    // Disconnects the listener's servant from the ORB only; nothing without an ORB.
    void DisconnectListener(ProbeListener listener);
    // Whether the service still exists; any failure of the test answers false.
    bool IsServiceAlive();

    // Gets the ORB and its object adapter; false when either cannot be had.
    bool InitializeOrb();
    // Turns the factory reference into the diagnostics service; false when the factory's
    // object is no diagnostics service.
    bool ResolveService(const char* factoryReference);

    bool IsOrbInitialized() const { return m_orbInitialized; }
    bool IsConnected() const { return m_connected; }

protected:
    ~CInfoDiagnostics() override = default;

private:
    [[noreturn]] void Raise(HRESULT hr, int32_t msgId, const char* detail, int line) const;
    // The ORB for a forwarding call: initialised on first need.
    bool EnsureOrb();

    CORBA::ORB_var m_orb;
    CORBA::BOA_var m_boa;
    JTCMonitor m_monitor;
    // The ORB and its adapter are there; kept apart from holding a service, so that a client
    // whose forwarding calls initialised the ORB can still connect.
    bool m_orbInitialized = false;
    bool m_connected = false;
    Norvel::Norveldiag::NorvelDiagnostics_var m_service;
};
