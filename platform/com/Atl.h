#pragma once
// The class framework over the runtime: smart pointers and wrappers (CComPtr, CComQIPtr,
// CComBSTR, CComVariant), object roots with a thread-model policy, the object templates, creators
// with the aggregation policy, the class factory with its lock count, interface maps as tables,
// dispatch over a table of dispatch identifiers, ISupportErrorInfoImpl, the copying VARIANT
// enumerator and the module object.

#include "platform/com/ComBstr.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComVariant.h"
#include "platform/com/Dispatch.h"
#include "platform/com/EnumVariant.h"
#include "platform/com/Module.h"
#include "platform/com/ObjectRoot.h"
#include "platform/com/ThreadModel.h"
