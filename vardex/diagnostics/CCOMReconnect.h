#pragma once
// Reconnection through the parent service object: a call into the report server that failed
// because the connection broke is repeated once after the parent re-established it.

#include "vardex/diagnostics/GenericClientException.h"
#include "vardex/diagnostics/VeltrixDiagnosticsLib.h"
#include "vardex/diagnostics/client_exception_mapper.h"

// T: the class; I: the interface the parent knows it by.
template <class T, class I> class CCOMReconnect
{
protected:
    static bool IsBrokenConnection(HRESULT hr)
    {
        return hr == kHrCommFailure || hr == kHrTransient || hr == kHrObjectNotExist ||
               hr == kHrSocksNegotiation;
    }

    // Runs the retried part of a method. A client exception of a broken connection on the first
    // attempt, with a parent whose ReconnectChild answers nonzero, runs it once more; any other
    // exception, or the second attempt's, leaves to the caller.
    template <class Attempt> auto Retried(Attempt&& attempt)
    {
        try {
            return attempt();
        } catch (const GenericClientException& e) {
            if (!m_pParent || !IsBrokenConnection(e.GetHResult()) ||
                !m_pParent->ReconnectChild(static_cast<I*>(static_cast<T*>(this))))
                throw;
        }
        return attempt();
    }

    ISParentService* m_pParent = nullptr;
};
