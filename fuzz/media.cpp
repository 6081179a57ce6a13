// Media files named by the player's list: the kind their first bytes give, and the codec code
// and picture size their headers record.

#include "fuzz/FuzzSupport.h"
#include "slidora/MediaFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteFile("intro.wmv", fuzz::Text(data, size));
    slidora::FileTypeFromHeader(path);
    std::string type;
    std::int16_t width = 0, height = 0;
    slidora::ReadHeaderInfo(path, type, width, height);
    slidora::ShownType(type);
    return 0;
}
