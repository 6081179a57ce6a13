#include "vardex/support/sstring.h"

#include "vardex/support/scodepage.h"

#include "platform/com/Bstr.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <locale.h>
#include <vector>

template <class CharT> void SStringImpl<CharT>::AssignBuffer(Buffer* buffer)
{
    SASSERT(buffer != 0);
    if (buffer == buffer_)
        return;
    if (!buffer)
        buffer = EmptyBuffer();
    if (!IsStatic(buffer))
        buffer->refCount.fetch_add(1, std::memory_order_relaxed);
    Release();
    buffer_ = buffer;
}

template <class CharT> void SStringImpl<CharT>::SetLength(int32_t nativeCharsUsed)
{
    Buffer* buffer = buffer_;
    SASSERT(nativeCharsUsed < buffer->nativeCharsAllocated);
    if (nativeCharsUsed < 0 || nativeCharsUsed >= buffer->nativeCharsAllocated)
        return;
    if (IsStatic(buffer))
        return; // length 0 already; the empty buffer is never written
    buffer->chars()[nativeCharsUsed] = 0;
    buffer->nativeCharsUsed = nativeCharsUsed;
}

template class SStringImpl<char>;
template class SStringImpl<char16_t>;

namespace SMbcs {

namespace {
// Bytes of the character that starts with `lead` (UTF-8); a stray byte is one character.
int LeadLength(unsigned char lead)
{
    if (lead >= 0xC0 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF7)
        return 4;
    return 1;
}
} // namespace

const char* NextChar(const char* p)
{
    if (!*p)
        return p;
    int length = LeadLength(static_cast<unsigned char>(*p++));
    // A sequence cut short (by the zero or a byte that cannot continue it) ends there.
    while (--length > 0 && (static_cast<unsigned char>(*p) & 0xC0) == 0x80)
        ++p;
    return p;
}

SCharValue CharValue(const char* p)
{
    const char* next = NextChar(p);
    SCharValue value = 0;
    for (int shift = 0; p < next; ++p, shift += 8)
        value |= SCharValue(static_cast<unsigned char>(*p)) << shift;
    return value;
}

int32_t CharWidth(SCharValue value)
{
    if (value == 0)
        return 0;
    if (value < 0x100)
        return 1;
    if (value < 0x10000)
        return 2;
    if (value < 0x1000000)
        return 3;
    return 4;
}

int32_t CharCount(const char* p)
{
    int32_t count = 0;
    for (; *p; p = NextChar(p))
        ++count;
    return count;
}

} // namespace SMbcs

namespace {

bool IsWhiteSpace(SCharValue value)
{
    // Only single-byte characters can be white space.
    return value < 0x100 && std::isspace(static_cast<int>(value));
}

// Writes the bytes of `value` (low byte first) at p.
void PutChar(char* p, SCharValue value)
{
    for (int32_t i = 0, width = SMbcs::CharWidth(value); i < width; ++i)
        p[i] = char((value >> (8 * i)) & 0xFF);
}

} // namespace

SString::SString(const char* text)
{
    if (text)
        CopyChars(text, int32_t(std::strlen(text)));
}

SString::SString(const char* text, int32_t n)
{
    CopyChars(text, n);
}

SString::SString(const char* first, const char* last)
{
    if (first && last > first)
        CopyChars(first, int32_t(last - first));
}

SString::SString(const char16_t* wide)
{
    AssignWide(wide, -1);
}

SString& SString::operator=(const char* text)
{
    if (!text || !*text)
        Empty();
    else
        CopyChars(text, int32_t(std::strlen(text)));
    return *this;
}

SString SString::FromChar(SCharValue value)
{
    SString s;
    s.AppendChar(value);
    return s;
}

bool SString::AssignWide(const char16_t* wide, int codePage)
{
    if (!wide)
        return true;
    const int32_t units = SWideLength(wide) + 1; // with the terminator
    const int32_t size = SWideToMultiByte(codePage, wide, units, nullptr, 0);
    bool success = size > 0;
    SASSERT_INFO(success, "Error converting Unicode string to ANSI");
    if (!success)
        return false; // the string is left as it was
    char* target = PrepareBuffer(size - 1);
    success = SWideToMultiByte(codePage, wide, units, target, size) == size;
    SASSERT_INFO(success, "Error converting Unicode string to ANSI");
    if (!success) {
        Empty();
        return false;
    }
    return true;
}

SString& SString::Append(const SString& other)
{
    if (other.buffer_ == buffer_) {
        const SString copy(other); // the text is read while this string's buffer changes
        AppendChars(copy.GetString(), copy.GetLength());
    } else {
        AppendChars(other.GetString(), other.GetLength());
    }
    return *this;
}

SString& SString::Append(const char* text)
{
    if (text)
        AppendChars(text, int32_t(std::strlen(text)));
    return *this;
}

SString& SString::Append(const char* text, int32_t n)
{
    // clang-format off
    SASSERT(text!=0 || n==0);
    // clang-format on
    if (text)
        AppendChars(text, n);
    return *this;
}

SString& SString::AppendChar(SCharValue value)
{
    char bytes[4];
    PutChar(bytes, value);
    AppendChars(bytes, SMbcs::CharWidth(value));
    return *this;
}

SString& SString::AppendNumber(int32_t value)
{
    return Append(SStringConv::ToString(value));
}

SString& SString::AppendNumber(uint32_t value)
{
    return Append(SStringConv::ToString(value));
}

SString SString::Left(int32_t n) const
{
    const char* p = GetString();
    for (int32_t i = 0; i < n && *p; ++i)
        p = SMbcs::NextChar(p);
    return Prefix(int32_t(p - GetString()));
}

SString SString::Right(int32_t n) const
{
    const int32_t count = SMbcs::CharCount(GetString());
    if (n >= count)
        return *this;
    if (n <= 0) // as Left: nothing, and no walk of count - n characters
        return SString();
    const char* p = GetString();
    for (int32_t i = 0; i < count - n; ++i)
        p = SMbcs::NextChar(p);
    return SString(p, GetString() + GetLength());
}

SCharValue SString::GetAt(int32_t charIndex) const
{
    const char* p = GetString();
    for (int32_t i = 0; i < charIndex && *p; ++i)
        p = SMbcs::NextChar(p);
    return SMbcs::CharValue(p);
}

SString SString::Prefix(int32_t position) const
{
    if (position <= 0)
        return SString();
    if (position >= GetLength())
        return *this;
    return SString(GetString(), position);
}

int32_t SString::Find(const char* text) const
{
    if (!text)
        return GetLength();
    const std::size_t n = std::strlen(text);
    const char* begin = GetString();
    const char* end = begin + GetLength();
    for (const char* p = begin;; p = SMbcs::NextChar(p)) {
        if (std::size_t(end - p) >= n && std::memcmp(p, text, n) == 0)
            return int32_t(p - begin);
        if (!*p)
            return GetLength();
    }
}

int32_t SString::FindChar(SCharValue value) const
{
    const char* begin = GetString();
    for (const char* p = begin; *p; p = SMbcs::NextChar(p))
        if (SMbcs::CharValue(p) == value)
            return int32_t(p - begin);
    return GetLength();
}

void SString::ReplaceChar(int32_t position, SCharValue value)
{
    const int32_t length = GetLength();
    const bool inside = position >= 0 && position <= length;
    const SCharValue old = inside ? SMbcs::CharValue(GetString() + position) : 0;
    const int32_t oldWidth = SMbcs::CharWidth(old);
    const int32_t nBytesToMove = inside ? length - position - oldWidth : -1;
    if (inside && old == value)
        return;
    SASSERT(nBytesToMove >= 0);
    if (nBytesToMove < 0)
        return;
    const int32_t newWidth = SMbcs::CharWidth(value);
    const int32_t newLength = length + newWidth - oldWidth;
    Reserve(newLength);
    char* chars = buffer_->chars();
    std::memmove(chars + position + newWidth, chars + position + oldWidth, nBytesToMove);
    SetLength(newLength);
    PutChar(chars + position, value);
}

void SString::TrimLeft()
{
    const char* p = GetString();
    while (*p && IsWhiteSpace(SMbcs::CharValue(p)))
        p = SMbcs::NextChar(p);
    if (p == GetString())
        return;
    if (!*p)
        Empty();
    else
        *this = SString(p, GetString() + GetLength());
}

void SString::TrimRight()
{
    const char* lastEnd = nullptr; // end of the last character that is not white space
    const char* p = GetString();
    while (*p) {
        const char* next = SMbcs::NextChar(p);
        if (!IsWhiteSpace(SMbcs::CharValue(p)))
            lastEnd = next;
        p = next;
    }
    if (!lastEnd)
        Empty();
    else if (lastEnd != p)
        *this = Prefix(int32_t(lastEnd - GetString()));
}

bool SString::operator==(const SString& other) const
{
    return std::strcoll(GetString(), other.GetString()) == 0;
}

bool SString::operator==(const char* text) const
{
    return std::strcoll(GetString(), text ? text : "") == 0;
}

SStringW::SStringW(const char16_t* text)
{
    if (text)
        CopyChars(text, SWideLength(text));
}

SStringW::SStringW(const char* ansi, int codePage)
{
    AssignAnsi(ansi, codePage);
}

bool SStringW::AssignAnsi(const char* ansi, int codePage)
{
    if (!ansi)
        return true;
    const int32_t bytes = int32_t(std::strlen(ansi)) + 1; // with the terminator
    const int32_t size = SMultiByteToWide(codePage, ansi, bytes, nullptr, 0);
    bool success = size > 0;
    SASSERT_INFO(success, "Error converting ANSI string to Unicode");
    if (!success)
        return false;
    char16_t* target = PrepareBuffer(size - 1);
    success = SMultiByteToWide(codePage, ansi, bytes, target, size) == size;
    SASSERT_INFO(success, "Error converting ANSI string to Unicode");
    if (!success) {
        Empty();
        return false;
    }
    return true;
}

bool SStringBinary::operator<(const SStringBinary& other) const
{
    return std::strcmp(GetString(), other.GetString()) < 0;
}

bool SStringCaseInsensitive::operator<(const SStringCaseInsensitive& other) const
{
    return SStringCompareNoCase(GetString(), other.GetString()) < 0;
}

namespace {

// Case mapping of every Unicode letter, whatever locale the process runs in.
locale_t CaseLocale()
{
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    return locale;
}

using WideText = std::vector<wchar_t, SHeapAllocator<wchar_t>>;
constexpr std::size_t kSmallText = 256;

// The text as lower-case wide characters, zero-terminated: in `small` when it fits (no
// allocation: the log file filter compares on every trace), else in `large`.
const wchar_t* FoldedWide(const char* text, wchar_t (&small)[kSmallText], WideText& large)
{
    const std::string_view bytes(text ? text : "");
    wchar_t* out = small;
    if (bytes.size() + 1 > kSmallText) {
        large.resize(bytes.size() + 1); // never more characters than bytes
        out = large.data();
    }
    const locale_t locale = CaseLocale();
    std::size_t n = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const char32_t c = com::decodeUtf8(bytes, i);
        out[n++] = wchar_t(locale ? towlower_l(wint_t(c), locale) : towlower(wint_t(c)));
    }
    out[n] = 0;
    return out;
}

} // namespace

int SStringCompareNoCase(const char* a, const char* b)
{
    wchar_t smallA[kSmallText], smallB[kSmallText];
    WideText largeA, largeB;
    return std::wcscoll(FoldedWide(a, smallA, largeA), FoldedWide(b, smallB, largeB));
}

SString SStringConv::ToString(int32_t value)
{
    char digits[16];
    return SString(digits, std::snprintf(digits, sizeof digits, "%d", value));
}

SString SStringConv::ToString(uint32_t value)
{
    char digits[16];
    return SString(digits, std::snprintf(digits, sizeof digits, "%u", value));
}

bool SStringConv::ToLong(const char* text, int32_t& value)
{
    if (!text)
        return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text, &end, 10);
    bool inRange = errno != ERANGE && parsed >= INT32_MIN && parsed <= INT32_MAX;
    value = parsed < INT32_MIN ? INT32_MIN : parsed > INT32_MAX ? INT32_MAX : int32_t(parsed);
    return inRange && end != text && *end == 0;
}

bool SStringConv::ToULong(const char* text, uint32_t& value)
{
    if (!text)
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long parsed = std::strtoull(text, &end, 10);
    // As in C, a minus sign negates the parsed magnitude in unsigned arithmetic.
    const char* digits = text;
    while (std::isspace(static_cast<unsigned char>(*digits)))
        ++digits;
    const bool negative = *digits == '-';
    const unsigned long long magnitude = negative ? 0 - parsed : parsed;
    const bool inRange = errno != ERANGE && magnitude <= UINT32_MAX;
    value = !inRange ? UINT32_MAX : negative ? uint32_t(0 - uint32_t(magnitude)) : uint32_t(parsed);
    return inRange && end != text && *end == 0;
}
