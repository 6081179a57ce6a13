#include "platform/vb/TextParse.h"

#include "platform/vb/DateTime.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace vb::text {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "&H1F", "&O17": the signed value of 16 or 32 bits.
std::optional<Number> ReadRadix(std::string_view digits, int radix, bool* overflow)
{
    unsigned long long value = 0;
    if (digits.empty()) {
        return std::nullopt;
    }
    for (const char c : digits) {
        int d;
        if (IsDigit(c)) {
            d = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            d = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        if (d >= radix) {
            return std::nullopt;
        }
        value = value * radix + d;
        if (value > 0xFFFFFFFFull) {
            if (overflow) {
                *overflow = true;
            }
            return std::nullopt;
        }
    }
    Number number;
    // Up to four hexadecimal (six octal) digits, leading zeros included, make a 16-bit value:
    // "&HFFFF" is -1 but "&H0000FFFF" is 65535.
    const size_t shortDigits = radix == 16 ? 4 : 6;
    if (digits.size() <= shortDigits && value <= 0xFFFF) {
        number.whole = static_cast<int16_t>(static_cast<uint16_t>(value));
    } else {
        number.whole = static_cast<int32_t>(static_cast<uint32_t>(value));
    }
    number.decimal = std::to_string(*number.whole);
    return number;
}

struct Fields
{
    std::vector<int> values;
    std::vector<int> widths;
};

// Numbers joined by one separator character: "31/12/2006" gives 31, 12, 2006.
bool ReadFields(std::string_view text, const char* separators, Fields& fields, char& used)
{
    used = 0;
    size_t pos = 0;
    while (true) {
        const size_t start = pos;
        int value = 0;
        while (pos < text.size() && IsDigit(text[pos]) && pos - start < 5) {
            value = value * 10 + (text[pos] - '0');
            ++pos;
        }
        if (pos == start || (pos < text.size() && IsDigit(text[pos]))) {
            return false;
        }
        fields.values.push_back(value);
        fields.widths.push_back(static_cast<int>(pos - start));
        if (pos == text.size()) {
            return true;
        }
        const char c = text[pos];
        if (std::string_view(separators).find(c) == std::string_view::npos ||
            (used != 0 && c != used)) {
            return false;
        }
        used = c;
        ++pos;
    }
}

std::optional<long long> ReadTime(std::string_view text)
{
    Fields f;
    char used;
    if (!ReadFields(text, ":", f, used) || f.values.size() < 2 || f.values.size() > 3) {
        return std::nullopt;
    }
    const int hour = f.values[0];
    const int minute = f.values[1];
    const int second = f.values.size() == 3 ? f.values[2] : 0;
    if (hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    return hour * 3600LL + minute * 60LL + second;
}

std::optional<Date> ReadDay(std::string_view text)
{
    Fields f;
    char used;
    if (!ReadFields(text, "/-", f, used) || f.values.size() < 2 || f.values.size() > 3) {
        return std::nullopt;
    }
    int year, month, day;
    if (f.values.size() == 3 && f.widths[0] == 4) {
        year = f.values[0];
        month = f.values[1];
        day = f.values[2];
    } else {
        day = f.values[0];
        month = f.values[1];
        if (f.values.size() == 2) {
            year = Year(Today());
        } else {
            year = f.values[2];
            // Two-digit years: 00 to 29 are in the 2000s, 30 to 99 in the 1900s.
            if (f.widths[2] <= 2) {
                year += year < 30 ? 2000 : 1900;
            }
        }
    }
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        return std::nullopt;
    }
    return Date::FromParts(year, month, day);
}

// The power of ten above the first significant digit of a decimal value: 3 for "123", -1 for
// "0.05", 0 for zero; it tells a value too large for a double from one too small.
long long Magnitude(std::string_view digits, int exponent)
{
    if (digits.starts_with('-')) {
        digits.remove_prefix(1);
    }
    const size_t first = digits.find_first_of("123456789");
    if (first == std::string_view::npos) {
        return 0;
    }
    const auto point = static_cast<long long>(std::min(digits.find('.'), digits.size()));
    const auto place = static_cast<long long>(first);
    return (place < point ? point - place : point - place + 1) + exponent;
}

} // namespace

double Number::ToDouble() const
{
    if (whole) {
        return static_cast<double>(*whole);
    }
    const std::string full = decimal + "e" + std::to_string(exponent);
    double value = 0;
    const auto result = std::from_chars(full.data(), full.data() + full.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large becomes infinite (an overflow for the caller), too small becomes 0.
        const bool negative = decimal.starts_with('-');
        value = Magnitude(decimal, exponent) > 0 ? (negative ? -HUGE_VAL : HUGE_VAL) : 0.0;
    }
    return value;
}

std::optional<Number> ReadNumber(std::string_view text, std::string_view separator, bool* overflow)
{
    text = TrimBlanks(text);
    if (text.size() >= 2 && text[0] == '&') {
        if (text[1] == 'H' || text[1] == 'h') {
            return ReadRadix(text.substr(2), 16, overflow);
        }
        if (text[1] == 'O' || text[1] == 'o') {
            return ReadRadix(text.substr(2), 8, overflow);
        }
        return std::nullopt;
    }
    Number number;
    size_t pos = 0;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        if (text[pos] == '-') {
            number.decimal = "-";
        }
        ++pos;
    }
    bool digits = false;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        number.decimal += text[pos];
        digits = true;
    }
    if (!separator.empty() && text.substr(pos).starts_with(separator)) {
        pos += separator.size();
        number.decimal += '.';
        for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
            number.decimal += text[pos];
            digits = true;
        }
    }
    if (!digits) {
        return std::nullopt;
    }
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        bool negative = false;
        if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
            negative = text[pos] == '-';
            ++pos;
        }
        const size_t start = pos;
        int exponent = 0;
        for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
            exponent = std::min(exponent * 10 + (text[pos] - '0'), 100000);
        }
        if (pos == start) {
            return std::nullopt;
        }
        number.exponent = negative ? -exponent : exponent;
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    return number;
}

std::optional<Date> ReadDate(std::string_view text)
{
    text = TrimBlanks(text);
    if (text.empty()) {
        return std::nullopt;
    }
    const size_t blank = text.find(' ');
    if (blank == std::string_view::npos) {
        if (text.find(':') != std::string_view::npos) {
            const auto seconds = ReadTime(text);
            return seconds ? std::optional<Date>(Date{*seconds / 86400.0}) : std::nullopt;
        }
        return ReadDay(text);
    }
    const auto day = ReadDay(text.substr(0, blank));
    const auto seconds = ReadTime(TrimBlanks(text.substr(blank)));
    if (!day || !seconds) {
        return std::nullopt;
    }
    return Date::FromParts(day->ToParts().year, day->ToParts().month, day->ToParts().day, 0, 0,
                           static_cast<int>(*seconds));
}

} // namespace vb::text
