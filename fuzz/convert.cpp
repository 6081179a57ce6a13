// The conversion functions on typed text, and on values of every kind.

#include "platform/vb/Convert.h"
#include "fuzz/FuzzSupport.h"
#include "platform/vb/Currency.h"
#include "platform/vb/Error.h"

namespace {

template <class Conversion> void Try(Conversion conversion)
{
    try {
        conversion();
    } catch (const vb::Error&) {
    }
}

void ConvertAll(const vb::Variant& value)
{
    Try([&] { vb::CStr(value); });
    Try([&] { vb::CBool(value); });
    Try([&] { vb::CInt(value); });
    Try([&] { vb::CLng(value); });
    Try([&] { vb::CSng(value); });
    Try([&] { vb::CDbl(value); });
    Try([&] { vb::CCur(value); });
    Try([&] { vb::CDate(value); });
    Try([&] { vb::IsNumeric(value); });
    Try([&] { vb::IsDate(value); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input = fuzz::Text(data, size);
    const std::string_view text = fuzz::NextPart(input);
    ConvertAll(vb::Variant(std::string(text)));
    Try([&] { vb::Val(text); });
    ConvertAll(fuzz::NextValue(input));
    Try([&] { vb::Round(vb::CDbl(vb::Variant(std::string(text))), static_cast<int>(size % 40)); });
    return 0;
}
