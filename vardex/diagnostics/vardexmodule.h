#pragma once
// The library's state over the process's life. It serves calls until the process begins to end
// (its exit steps) and never in a child forked after the library started its ORB: the ORB can be
// neither used nor started again there, and its threads did not follow into the child.

#include "platform/wintypes/Types.h"

// The result of a call made once the process has begun to end (CO_E_SERVER_STOPPING).
inline constexpr HRESULT kHrLibraryEnding = HRESULT(0x80004028);
// The result of a call in a child forked after the library started its ORB (RPC_E_DISCONNECTED).
inline constexpr HRESULT kHrForkedAfterOrb = HRESULT(0x80010108);

// Around a call that may start the library's ORB. From its start a fork leaves a child in which
// the library refuses every call; at its end (the ORB's own exit steps registered by then) the
// process's end is set to stop the relays before the ORB's statics go.
class OrbStartScope
{
public:
    OrbStartScope();
    ~OrbStartScope();
    OrbStartScope(const OrbStartScope&) = delete;
    OrbStartScope& operator=(const OrbStartScope&) = delete;
};

// The ORB must not be reached: the process has begun to end, or it is a forked child.
bool OrbOutOfReach();
// This process is a child forked after the library started its ORB.
bool ForkedAfterOrb();

// S_OK while the library serves calls; otherwise the failure, with the thread's error
// information (for clsid and iid) saying why. Takes no lock and reaches no library state.
HRESULT RefuseUnusable(REFCLSID clsid, REFIID iid) noexcept;
