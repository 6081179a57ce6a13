// Format: a pattern as a definition or a window holds it, then the value to format.

#include "platform/vb/Format.h"
#include "fuzz/FuzzSupport.h"
#include "platform/vb/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input = fuzz::Text(data, size);
    const std::string_view pattern = fuzz::NextPart(input);
    const vb::Variant value = fuzz::NextValue(input);
    try {
        vb::Format(value, pattern);
    } catch (const vb::Error&) {
    }
    return 0;
}
