// Profile (INI) files: a section and a key to read, then the file.

#include "fuzz/FuzzSupport.h"
#include "platform/win/Profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input = fuzz::Text(data, size);
    const std::string_view section = fuzz::NextPart(input);
    const std::string_view key = fuzz::NextPart(input);
    const std::string path = fuzz::WriteFile("automat.ini", input);
    win::GetPrivateProfileString(section, key, "défaut  ", path);
    win::GetPrivateProfileInt(section, key, -1, path);
    return 0;
}
