#include "fuzz/FuzzSupport.h"

#include "platform/vb/Currency.h"
#include "platform/vb/Date.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fuzz {

std::string_view NextPart(std::string_view& input)
{
    const size_t zero = input.find('\0');
    const std::string_view part = input.substr(0, zero);
    input = zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
    return part;
}

vb::Variant NextValue(std::string_view& input)
{
    const std::string_view part = NextPart(input);
    if (part.empty())
        return vb::Variant::Null();
    const std::string_view rest = part.substr(1);
    int64_t bits = 0;
    std::memcpy(&bits, rest.data(), std::min(rest.size(), sizeof bits));
    double number = 0;
    std::memcpy(&number, &bits, sizeof number);
    switch (static_cast<unsigned char>(part[0]) % 8) {
    case 0:
        return vb::Variant();
    case 1:
        return vb::Variant(number);
    case 2:
        return vb::Variant(static_cast<int32_t>(bits));
    case 3:
        return vb::Variant(static_cast<bool>(bits & 1));
    case 4:
        return vb::Variant(vb::Currency::FromScaled(bits));
    case 5:
        // Dates of the language's range, 1 January 100 to 31 December 9999, as the conversions
        // and the database layer make them.
        if (!std::isfinite(number) || number < -657434 || number >= 2958466)
            number = std::isfinite(number) ? std::fmod(std::fabs(number), 2958465) : 0;
        return vb::Variant(vb::Date{number});
    case 6:
        return vb::Variant(std::vector<uint8_t>(rest.begin(), rest.end()));
    default:
        return vb::Variant(std::string(rest));
    }
}

const std::string& Folder()
{
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/harnix-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a folder for the fuzz target's files");
        static const std::string made = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return pattern;
    }();
    return folder;
}

std::string WriteFile(const std::string& name, std::string_view bytes)
{
    const std::string path = Folder() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

} // namespace fuzz
