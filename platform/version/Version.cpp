#include "platform/version/Version.h"

#include "platform/reslib/ResourceTable.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <strings.h>

namespace {

// The flat block of the module's version table; empty when it has none.
std::string ReadBlock(const char* path)
{
    if (!path || !*path)
        return {};
    void* module = dlopen(path, RTLD_LAZY | RTLD_LOCAL);
    if (!module)
        return {};
    std::string block;
    if (auto* info = static_cast<const VxVersionInfo*>(dlsym(module, VX_VERSION_INFO))) {
        const WORD pair[2] = {info->language, info->codePage};
        block.append(reinterpret_cast<const char*>(pair), sizeof pair);
        for (const char* const* s = info->strings; s && s[0] && s[1]; s += 2) {
            block.append(s[0]).push_back('\0');
            block.append(s[1]).push_back('\0');
        }
        block.push_back('\0');
    }
    dlclose(module);
    return block;
}

} // namespace

DWORD GetFileVersionInfoSizeA(const char* path, DWORD* handle)
{
    if (handle)
        *handle = 0;
    return DWORD(ReadBlock(path).size());
}

BOOL GetFileVersionInfoA(const char* path, DWORD, DWORD size, void* data)
{
    const std::string block = ReadBlock(path);
    if (block.empty() || !data || size < block.size())
        return FALSE;
    std::memcpy(data, block.data(), block.size());
    return TRUE;
}

BOOL VerQueryValueA(const void* block, const char* subBlock, void** buffer, UINT* length)
{
    if (!block || !subBlock || !buffer || !length)
        return FALSE;
    auto* bytes = static_cast<const char*>(block);
    if (strcasecmp(subBlock, "\\VarFileInfo\\Translation") == 0) {
        *buffer = const_cast<char*>(bytes);
        *length = 2 * sizeof(WORD);
        return TRUE;
    }
    WORD pair[2];
    std::memcpy(pair, bytes, sizeof pair);
    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", pair[0], pair[1]);
    const std::size_t prefixLength = std::strlen(prefix);
    if (strncasecmp(subBlock, prefix, prefixLength) != 0)
        return FALSE;
    const char* wanted = subBlock + prefixLength;
    for (const char* name = bytes + sizeof pair; *name;) {
        const char* value = name + std::strlen(name) + 1;
        if (strcasecmp(name, wanted) == 0) {
            *buffer = const_cast<char*>(value);
            *length = UINT(std::strlen(value));
            return TRUE;
        }
        name = value + std::strlen(value) + 1;
    }
    return FALSE;
}
