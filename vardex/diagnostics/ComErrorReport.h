#pragma once
// Reporting a failure to the COM client: the error-report component publishes the messages as
// the thread's error information, and its answer is the COM method's result.

#include "platform/wintypes/Types.h"
#include "vardex/diagnostics/GenericClientException.h"

// A failure a COM method detected itself: one message with text arguments. A private component
// instance serves the call; without the component the result is hr (DISP_E_EXCEPTION for 0).
HRESULT ReportComError(REFCLSID clsid, REFIID iid, int32_t msgId, const SIArray<SString>& args,
                       HRESULT hr);
// A caught client exception, with its supplementary information; one component instance,
// created on first use, serves every call.
HRESULT ReportComException(REFCLSID clsid, REFIID iid, const GenericClientException& e);
