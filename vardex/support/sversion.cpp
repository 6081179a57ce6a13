#include "vardex/support/sversion.h"

#include "platform/version/Version.h"
#include "vardex/support/sassert.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

bool GetResourceVersion(HMODULE module, SString& version)
{
    version = SString();
    const std::string file = GetModuleFileNameA(module);
    DWORD handle = 0;
    const DWORD size = file.empty() ? 0 : GetFileVersionInfoSizeA(file.c_str(), &handle);
    if (size == 0)
        return false;
    std::vector<char, SHeapAllocator<char>> block(size);
    if (!GetFileVersionInfoA(file.c_str(), handle, size, block.data()))
        return false;
    void* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &length) ||
        length < 2 * sizeof(WORD))
        return false;
    WORD pair[2];
    std::memcpy(pair, translation, sizeof pair);
    char subBlock[64];
    std::snprintf(subBlock, sizeof subBlock, "\\StringFileInfo\\%04x%04x\\ResourceVersion", pair[0],
                  pair[1]);
    void* value = nullptr;
    if (!VerQueryValueA(block.data(), subBlock, &value, &length) || length == 0)
        return false;
    version = SString(static_cast<const char*>(value), int32_t(length));
    return true;
}

void Split(const char* text, SIArray<SString>& tokens, const char* separators, bool quotes)
{
    tokens.RemoveAll();
    if (!text)
        return;
    const SString separatorSet(separators ? separators : "");
    // With quotes, a double quote ends a token, and opens one where a token may start.
    auto isSeparator = [&](const char* p) {
        return separatorSet.FindChar(SMbcs::CharValue(p)) < separatorSet.GetLength();
    };
    auto endsToken = [&](const char* p) { return isSeparator(p) || (quotes && *p == '"'); };
    const char* p = text;
    while (*p && isSeparator(p))
        p = SMbcs::NextChar(p);
    while (*p) {
        const char* start = p;
        if (quotes && *p == '"') {
            start = ++p;
            while (*p && *p != '"')
                p = SMbcs::NextChar(p);
            tokens.Add(SString(start, p));
            if (*p)
                ++p;
        } else {
            while (*p && !endsToken(p))
                p = SMbcs::NextChar(p);
            tokens.Add(SString(start, p));
        }
        while (*p && isSeparator(p))
            p = SMbcs::NextChar(p);
    }
}

namespace {
// The token as a number; a token that is not wholly one is reported and its numeric prefix
// (0 when none) is used.
int32_t TokenNumber(const SString& token, const char* left, const char* right)
{
    int32_t number = 0;
    if (!SStringConv::ToLong(token.GetString(), number)) {
        SString info("Could not compare version strings \"");
        info += left;
        info += "\" and \"";
        info += right;
        info += "\"";
        LogAssert(__FILE__, SASSERT_STR(__LINE__), "false", info.GetString());
        number = int32_t(std::strtol(token.GetString(), nullptr, 10));
    }
    return number;
}
} // namespace

int CompareVersions(const char* left, const char* right)
{
    if (SString(left) == SString(right))
        return 0;
    SIArray<SString> leftTokens, rightTokens;
    Split(left, leftTokens, " .,", false);
    Split(right, rightTokens, " .,", false);
    const int32_t common = std::min(leftTokens.GetSize(), rightTokens.GetSize());
    for (int32_t i = 0; i < common; ++i) {
        const int32_t l = TokenNumber(leftTokens[i], left, right);
        const int32_t r = TokenNumber(rightTokens[i], left, right);
        if (l != r)
            return l < r ? -1 : 1;
    }
    if (leftTokens.GetSize() != rightTokens.GetSize())
        return leftTokens.GetSize() > rightTokens.GetSize() ? 1 : -1;
    return 0;
}
