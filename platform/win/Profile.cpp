#include "platform/win/Profile.h"

#include "platform/win/Codepage.h"
#include "platform/win/FileSearch.h"

#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>

namespace win {
namespace {

// The callers' buffer holds 255 characters and the terminator.
constexpr std::size_t kValueCharacters = 255;

constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::string_view TrimRight(std::string_view text)
{
    const auto last = text.find_last_not_of(kBlanks);
    return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Keeps at most the buffer's number of characters (not bytes) of a UTF-8 text.
std::string CutToBuffer(std::string_view text)
{
    std::size_t pos = 0;
    for (std::size_t count = 0; count < kValueCharacters && pos < text.size(); ++count) {
        char32_t ch;
        if (!DecodeUtf8(text, pos, ch))
            ++pos;
    }
    return std::string(text.substr(0, pos));
}

std::optional<std::string> ReadText(const std::string& path)
{
    const auto resolved = ResolvePathIgnoringCase(path);
    struct stat info;
    if (!resolved || stat(resolved->c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    std::ifstream in(*resolved, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::string text = std::move(bytes).str();
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        text.erase(0, 3);
    return IsValidUtf8(text) ? text : Cp1252ToUtf8(text);
}

// The raw value (trimmed, quotes dropped) of the first matching key of the first matching
// section; nothing when the file, the section or the key is missing.
std::optional<std::string> FindValue(std::string_view section, std::string_view key,
                                     const std::string& path)
{
    const auto text = ReadText(path);
    if (!text)
        return std::nullopt;
    std::string_view rest = *text;
    bool inSection = false;
    bool sectionSeen = false;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const std::string_view line = Trim(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            // Only the first section of a name is searched.
            if (sectionSeen)
                return std::nullopt;
            const auto close = line.find(']');
            inSection = EqualsIgnoringCase(
                Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                    : close - 1)),
                section);
            sectionSeen = inSection;
            continue;
        }
        if (!inSection)
            continue;
        const auto equals = line.find('=');
        if (!EqualsIgnoringCase(Trim(line.substr(0, equals)), key))
            continue;
        if (equals == std::string_view::npos)
            return std::string();
        return std::string(Unquote(Trim(line.substr(equals + 1))));
    }
    return std::nullopt;
}

} // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, const std::string& path)
{
    if (const auto value = FindValue(section, key, path))
        return CutToBuffer(*value);
    return CutToBuffer(TrimRight(def));
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int def,
                         const std::string& path)
{
    const auto value = FindValue(section, key, path);
    // An empty value counts as a missing one.
    if (!value || value->empty())
        return def;
    std::size_t pos = 0;
    bool negative = false;
    if ((*value)[0] == '+' || (*value)[0] == '-') {
        negative = (*value)[0] == '-';
        ++pos;
    }
    // Digits accumulate in 32 bits without a range check, as the platform's reader does.
    std::uint32_t number = 0;
    for (; pos < value->size() && (*value)[pos] >= '0' && (*value)[pos] <= '9'; ++pos)
        number = number * 10u + static_cast<std::uint32_t>((*value)[pos] - '0');
    if (negative)
        number = 0u - number;
    return static_cast<int>(number);
}

} // namespace win
