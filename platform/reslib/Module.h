#pragma once
// Loaded modules in the manner of the platform's module calls, over dlopen: a module handle is
// the handle dlopen gives, and the null handle stands for the host program itself. Resource
// libraries carry their string table as exported symbols (ResourceTable.h).

#include "platform/reslib/Api.h"

#include <cstdint>
#include <string>

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;

// The file extension of loadable modules on this platform.
inline constexpr const char* kModuleExtension = ".so";

// Loads a module by path, or through the library search when the name has no folder.
// Null on failure.
RESLIB_API HMODULE LoadLibraryA(const char* path);
// Releases one load; false for the null handle or on failure.
RESLIB_API bool FreeLibrary(HMODULE module);
// The address of an exported function or object, null when missing.
RESLIB_API void* GetProcAddress(HMODULE module, const char* name);
// The full file name of a loaded module (null: the host executable); empty when unknown.
RESLIB_API std::string GetModuleFileNameA(HMODULE module);

// Copies the text of string `id` of the module's string table (null module: the host's own
// table) into buffer, cut to size - 1 bytes at a character boundary, and returns its length in
// bytes; 0 when the table or the identifier is missing.
RESLIB_API int LoadStringA(HMODULE module, uint32_t id, char* buffer, int size);
