// LIKE patterns: a pattern, a text and an escape character. The prepared pattern and the
// one-off match agree, and a text made literal matches itself.

#include "fuzz/FuzzSupport.h"
#include "platform/ado/Text.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input = fuzz::Text(data, size);
    const std::string_view pattern = fuzz::NextPart(input);
    const std::string_view text = fuzz::NextPart(input);
    const std::string_view escapeText = fuzz::NextPart(input);
    const char32_t escape = escapeText.empty() ? 0 : static_cast<unsigned char>(escapeText[0]);
    if (ado::LikeMatch(pattern, text, escape) != ado::LikePattern(pattern, escape).Matches(text))
        std::abort();
    if (!ado::LikeMatch(ado::LikeLiteral(text), text))
        std::abort();
    ado::CompareText(pattern, text);
    return 0;
}
