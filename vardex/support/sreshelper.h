#pragma once
// The thread key of the resource manager: one thread-local slot for the whole process, shared
// by every loaded copy of this library through the environment variable JTCTLSK, and the
// per-thread record kept in it.

#include "platform/reslib/Module.h"
#include "platform/wintypes/Types.h"

#include <cstdint>

// What a thread that entered the library holds: its language's libraries and its locale.
struct SResHandles
{
    int useCount = 0;
    LCID locale = 0;
    HMODULE strings = nullptr; // stringres of the thread's language
    HMODULE html = nullptr;    // htmlres of the thread's language
};

namespace SResHelper {

// The process's key plus one (0: no key). Set up on first use: JTCTLSK, when it holds a
// number above 0 tagged with this process's id ("key:pid") and was published in this program
// image (not inherited through exec), names the key (plus one); otherwise a key is created and
// published there.
// The key is never freed and the variable never cleared: another copy may be using them.
uint32_t ThreadKey();

// The calling thread's record (null when it has none) and its replacement.
SResHandles* GetThreadRecord();
void SetThreadRecord(SResHandles* record);

} // namespace SResHelper
