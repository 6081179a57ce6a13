#pragma once
// Version resources in the manner of the platform's version calls. A module's version resource
// is the VxVersionInfo table it exports (platform/reslib/ResourceTable.h): one translation
// (language, code page) and its named strings. The block these calls fill is a flat copy:
// the translation pair, then each name and value as zero-terminated texts, then an empty name.

#include "platform/wintypes/Types.h"

// The size of the module file's version block; 0 when it has no version resource.
DWORD GetFileVersionInfoSizeA(const char* path, DWORD* handle);
// Fills data (size bytes) with the version block; FALSE when missing or too small.
BOOL GetFileVersionInfoA(const char* path, DWORD handle, DWORD size, void* data);
// "\VarFileInfo\Translation" gives the translation pair (4 bytes: language, code page);
// "\StringFileInfo\llllcccc\Name" the value of a string (its length without the zero) when
// llllcccc, in hexadecimal, names the block's translation. FALSE for anything else.
BOOL VerQueryValueA(const void* block, const char* subBlock, void** buffer, UINT* length);
