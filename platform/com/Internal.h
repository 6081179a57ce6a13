#pragma once
// Shared inside the runtime library only.

#include "platform/com/Unknown.h"

namespace com {
// The calling thread has entered an apartment.
bool inApartment();
// The process's one Global Interface Table.
IGlobalInterfaceTable* globalInterfaceTable();
} // namespace com
