// The SQL translator: a statement as the program or a stored query holds it, with the arguments
// of its parameters ("name\0argument\0name\0argument...") after the first zero.

#include "fuzz/FuzzSupport.h"
#include "platform/ado/Translate.h"
#include "platform/vb/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input = fuzz::Text(data, size);
    const std::string_view sql = fuzz::NextPart(input);
    std::vector<ado::Parameter> parameters;
    while (!input.empty()) {
        const std::string_view name = fuzz::NextPart(input);
        parameters.push_back({std::string(name), std::string(fuzz::NextPart(input))});
    }
    try {
        ado::TranslateSql(sql);
        ado::TranslateSql(sql, parameters);
    } catch (const vb::Error&) {
    }
    return 0;
}
