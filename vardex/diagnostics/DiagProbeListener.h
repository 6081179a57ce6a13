#pragma once
// The probe listener this library serves to the report server, and the relay threads that carry
// each of its calls to the COM client's listener, so that no client call runs on an ORB thread.

#include "platform/jtc/Thread.h"
#include "vardex/diagnostics/CriticalGIT.h"
#include "vardex/support/sstring.h"

#include <omniORB4/CORBA.h>

#include <chrono>

#include "norveldiag.hh"

class CComDiagnostics;

class CDiagProbeListener_impl
    : public virtual Norvel::Norveldiag::_sk_NorvelDiagnosticsProbeListener
{
public:
    // Holds a counted COM reference to its creator and one to the table.
    CDiagProbeListener_impl(CComDiagnostics* owner,
                            const CRefCountPtr<CriticalGlobalInterfaceTable>& table, DWORD cookie);
    ~CDiagProbeListener_impl() override;

    // Copies the texts and starts one relay thread per message.
    void diagnosticMessage(const CORBA::WChar* topic, CORBA::Short verbosity,
                           const CORBA::WChar* message) override;
    void topicalFilterUpdated(const Norvel::Norveldiag::SeqTopicVerbosity& topics) override;
    // The server ends the registration: when this servant is still the creator's current one,
    // the creator drops it and a relay thread tells the client's listener.
    void free() override;

private:
    CComDiagnostics* m_owner;
    CRefCountPtr<CriticalGlobalInterfaceTable> m_pGIT;
    DWORD m_cookie;
};

// A relay thread, counted from just before its making to its deletion (see
// WaitForRelayThreads).
class RelayThread : public JTCThread
{
public:
    ~RelayThread() override;
};

// Calls the client listener's DiagnosticsMessage from the multithreaded apartment.
class MessageThread : public RelayThread
{
public:
    MessageThread(const CRefCountPtr<CriticalGlobalInterfaceTable>& table, DWORD cookie,
                  const SString& topic, int16_t verbosity, const SString& message);
    ~MessageThread() override;
    void run() override;

private:
    CRefCountPtr<CriticalGlobalInterfaceTable> m_pGIT;
    DWORD m_cookie;
    SString m_topic;
    int16_t m_verbosity;
    SString m_message;
};

// Calls the client listener's Free from the multithreaded apartment, then revokes its cookie.
class FreeThread : public RelayThread
{
public:
    FreeThread(const CRefCountPtr<CriticalGlobalInterfaceTable>& table, DWORD cookie);
    ~FreeThread() override;
    void run() override;

private:
    CRefCountPtr<CriticalGlobalInterfaceTable> m_pGIT;
    DWORD m_cookie;
};

// From now on no relay thread starts: the calls the server makes are dropped at the servant.
void CloseRelays();
// Waits until no relay thread is left, at most `limit`; true when none is.
bool WaitForRelayThreads(std::chrono::milliseconds limit);
