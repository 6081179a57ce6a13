#include "platform/vb/Strings.h"

#include "platform/vb/Error.h"
#include "platform/vb/Utf8.h"
#include "platform/win/Codepage.h"

#include <algorithm>

namespace vb {

namespace {

// Case pairs of ASCII, Latin-1 and Latin Extended-A, which hold every letter of the 8-bit set.
char32_t ToUpper(char32_t ch)
{
    if ((ch >= 'a' && ch <= 'z') || (ch >= 0xE0 && ch <= 0xFE && ch != 0xF7)) {
        return ch - 0x20;
    }
    if (ch == 0xFF) {
        return 0x178;
    }
    if ((ch >= 0x100 && ch <= 0x137 && ch != 0x131) || (ch >= 0x14A && ch <= 0x177)) {
        return ch & ~static_cast<char32_t>(1);
    }
    if (((ch >= 0x139 && ch <= 0x148) || (ch >= 0x179 && ch <= 0x17E)) && (ch & 1) == 0) {
        return ch - 1;
    }
    return ch;
}

char32_t ToLower(char32_t ch)
{
    if ((ch >= 'A' && ch <= 'Z') || (ch >= 0xC0 && ch <= 0xDE && ch != 0xD7)) {
        return ch + 0x20;
    }
    if (ch == 0x178) {
        return 0xFF;
    }
    if ((ch >= 0x100 && ch <= 0x137 && ch != 0x130) || (ch >= 0x14A && ch <= 0x177)) {
        return ch | 1;
    }
    if (((ch >= 0x139 && ch <= 0x148) || (ch >= 0x179 && ch <= 0x17E)) && (ch & 1) == 1) {
        return ch + 1;
    }
    return ch;
}

// Maps each character, keeping the bytes of the unchanged ones (invalid bytes included).
template <typename Map> std::string MapCase(std::string_view text, Map map)
{
    std::string result;
    result.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const size_t start = pos;
        const char32_t ch = utf8::Next(text, pos);
        const bool invalid = pos - start == 1 && ch >= 0x80;
        const char32_t mapped = invalid ? ch : map(ch);
        if (mapped == ch) {
            result.append(text.substr(start, pos - start));
        } else {
            utf8::Append(result, mapped);
        }
    }
    return result;
}

std::u32string Decode(std::string_view text, int compare)
{
    std::u32string result;
    for (size_t pos = 0; pos < text.size();) {
        const char32_t ch = utf8::Next(text, pos);
        result += compare == vbTextCompare ? ToLower(ch) : ch;
    }
    return result;
}

void RequireNonNegative(long value)
{
    if (value < 0) {
        Raise(ErrInvalidCall);
    }
}

} // namespace

std::string Trim(std::string_view text)
{
    return RTrim(LTrim(text));
}

std::string LTrim(std::string_view text)
{
    const size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string RTrim(std::string_view text)
{
    const size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string UCase(std::string_view text)
{
    return MapCase(text, ToUpper);
}

std::string LCase(std::string_view text)
{
    return MapCase(text, ToLower);
}

long Len(std::string_view text)
{
    return utf8::Length(text);
}

std::string Left(std::string_view text, long length)
{
    RequireNonNegative(length);
    return std::string(text.substr(0, utf8::Offset(text, length)));
}

std::string Right(std::string_view text, long length)
{
    RequireNonNegative(length);
    const long total = utf8::Length(text);
    return length >= total ? std::string(text)
                           : std::string(text.substr(utf8::Offset(text, total - length)));
}

std::string Mid(std::string_view text, long start)
{
    if (start < 1) {
        Raise(ErrInvalidCall);
    }
    return std::string(text.substr(utf8::Offset(text, start - 1)));
}

std::string Mid(std::string_view text, long start, long length)
{
    RequireNonNegative(length);
    const std::string rest = Mid(text, start);
    return std::string(std::string_view(rest).substr(0, utf8::Offset(rest, length)));
}

long InStr(std::string_view text, std::string_view find, int compare)
{
    return InStr(1, text, find, compare);
}

long InStr(long start, std::string_view text, std::string_view find, int compare)
{
    if (start < 1) {
        Raise(ErrInvalidCall);
    }
    const std::u32string haystack = Decode(text, compare);
    if (start > static_cast<long>(haystack.size())) {
        return 0;
    }
    if (find.empty()) {
        return start;
    }
    const size_t found = haystack.find(Decode(find, compare), start - 1);
    return found == std::u32string::npos ? 0 : static_cast<long>(found) + 1;
}

std::string Replace(std::string_view text, std::string_view find, std::string_view replacement,
                    int compare)
{
    if (find.empty()) {
        return std::string(text);
    }
    // Positions are found on the decoded texts and copied from the original bytes.
    const std::u32string haystack = Decode(text, compare);
    const std::u32string needle = Decode(find, compare);
    std::string result;
    size_t bytePos = 0;
    size_t charPos = 0;
    for (size_t found = haystack.find(needle); found != std::u32string::npos;
         found = haystack.find(needle, charPos)) {
        const size_t matchStart = bytePos + utf8::Offset(text.substr(bytePos), found - charPos);
        const size_t matchEnd =
            matchStart + utf8::Offset(text.substr(matchStart), static_cast<long>(needle.size()));
        result.append(text.substr(bytePos, matchStart - bytePos));
        result.append(replacement);
        bytePos = matchEnd;
        charPos = found + needle.size();
    }
    result.append(text.substr(bytePos));
    return result;
}

std::vector<std::string> Split(std::string_view text, std::string_view delimiter)
{
    std::vector<std::string> parts;
    if (text.empty()) {
        return parts;
    }
    if (delimiter.empty()) {
        parts.emplace_back(text);
        return parts;
    }
    size_t start = 0;
    for (size_t found = text.find(delimiter); found != std::string_view::npos;
         found = text.find(delimiter, start)) {
        parts.emplace_back(text.substr(start, found - start));
        start = found + delimiter.size();
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

std::string Join(const std::vector<std::string>& parts, std::string_view delimiter)
{
    std::string result;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            result.append(delimiter);
        }
        result.append(parts[i]);
    }
    return result;
}

std::string Space(long count)
{
    RequireNonNegative(count);
    return std::string(static_cast<size_t>(count), ' ');
}

std::string String(long count, std::string_view character)
{
    RequireNonNegative(count);
    if (character.empty()) {
        Raise(ErrInvalidCall);
    }
    const std::string_view first = character.substr(0, utf8::Offset(character, 1));
    std::string result;
    result.reserve(first.size() * static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) {
        result.append(first);
    }
    return result;
}

std::string Chr(int code)
{
    if (code < 0 || code > 255) {
        Raise(ErrInvalidCall);
    }
    std::string result;
    utf8::Append(result, win::Cp1252ToUnicode(static_cast<unsigned char>(code)));
    return result;
}

int Asc(std::string_view text)
{
    const int code = win::UnicodeToCp1252(AscW(text));
    return code < 0 ? '?' : code;
}

char32_t AscW(std::string_view text)
{
    if (text.empty()) {
        Raise(ErrInvalidCall);
    }
    size_t pos = 0;
    return utf8::Next(text, pos);
}

int StrComp(std::string_view a, std::string_view b, int compare)
{
    const int c = Decode(a, compare).compare(Decode(b, compare));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace vb
