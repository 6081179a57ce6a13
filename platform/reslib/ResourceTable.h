#pragma once
// The layout of the tables a resource library exports (C linkage, so that generated sources and
// the loader agree without sharing code). A resource library is a shared object built from a
// small text source by vardex_resource_library() (ResourceLibrary.cmake).

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// One entry of the string table; the table is sorted by identifier.
struct VxResourceString
{
    uint32_t id;
    const char* text;
};

// The version resource: the one translation (language, code page) and its strings as
// name/value pairs ending with a null name.
struct VxVersionInfo
{
    uint16_t language;
    uint16_t codePage;
    const char* const* strings;
};

#ifdef __cplusplus
}
#endif

// Exported symbol names.
#define VX_RESOURCE_STRINGS "vxResourceStrings"
#define VX_RESOURCE_STRING_COUNT "vxResourceStringCount"
#define VX_VERSION_INFO "vxVersionInfo"
