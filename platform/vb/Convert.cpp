#include "platform/vb/Convert.h"

#include "platform/vb/Error.h"
#include "platform/vb/Strings.h"
#include "platform/vb/TextParse.h"
#include "platform/win/Locale.h"

#include <cfloat>
#include <cmath>
#include <cstdio>

namespace vb {

namespace {

text::Number NumberOfText(const std::string& value)
{
    bool overflow = false;
    const auto number = text::ReadNumber(value, win::DecimalSeparator(), &overflow);
    if (!number) {
        Raise(overflow ? ErrOverflow : ErrTypeMismatch);
    }
    return *number;
}

// Writes a number with the given significant digits as the language does: plain up to
// 10^digits, with an exponent ("1E+15", "1,5E-07") beyond, and the settings' separator.
std::string NumberText(double value, int digits)
{
    if (value == 0) {
        return "0";
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*G", digits, value);
    std::string text = buffer;
    const size_t point = text.find('.');
    if (point != std::string::npos) {
        text.replace(point, 1, win::DecimalSeparator());
    }
    return text;
}

bool TextEquals(const std::string& a, const char* b)
{
    return StrComp(a, b, vbTextCompare) == 0;
}

} // namespace

std::string CStr(const Variant& value)
{
    switch (value.Type()) {
    case VarType::Empty:
        return {};
    case VarType::Null:
        Raise(ErrInvalidUseOfNull);
    case VarType::Boolean:
        return value.BooleanValue() ? "True" : "False";
    case VarType::Integer:
        return std::to_string(value.IntegerValue());
    case VarType::Long:
        return std::to_string(value.LongValue());
    case VarType::Single:
        return NumberText(value.SingleValue(), 7);
    case VarType::Double:
        return NumberText(value.DoubleValue(), 15);
    case VarType::Currency: {
        std::string text = value.CurrencyValue().ToText();
        const size_t point = text.find('.');
        if (point != std::string::npos) {
            text.replace(point, 1, win::DecimalSeparator());
        }
        return text;
    }
    case VarType::Date: {
        const DateParts p = value.DateValue().ToParts();
        char day[16], time[16];
        std::snprintf(day, sizeof day, "%02d/%02d/%04d", p.day, p.month, p.year);
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", p.hour, p.minute, p.second);
        // Day 0 (30/12/1899) is a time alone; midnight is a day alone.
        if (p.year == 1899 && p.month == 12 && p.day == 30) {
            return time;
        }
        return p.hour || p.minute || p.second ? std::string(day) + " " + time : std::string(day);
    }
    case VarType::String:
        return value.StringValue();
    case VarType::Bytes:
        break;
    }
    Raise(ErrTypeMismatch);
}

bool CBool(const Variant& value)
{
    if (value.Type() == VarType::String) {
        const std::string& text = value.StringValue();
        if (TextEquals(Trim(text), "True") || TextEquals(Trim(text), "Vrai")) {
            return true;
        }
        if (TextEquals(Trim(text), "False") || TextEquals(Trim(text), "Faux")) {
            return false;
        }
    }
    if (value.Type() == VarType::Boolean) {
        return value.BooleanValue();
    }
    if (value.Type() == VarType::Currency) {
        return value.CurrencyValue().Scaled() != 0;
    }
    return CDbl(value) != 0;
}

int16_t CInt(const Variant& value)
{
    const double rounded = std::nearbyint(CDbl(value));
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) {
        Raise(ErrOverflow);
    }
    return static_cast<int16_t>(rounded);
}

int32_t CLng(const Variant& value)
{
    if (value.Type() == VarType::Currency) {
        // Exact: round the scaled value half to even.
        const int64_t scaled = value.CurrencyValue().Scaled();
        int64_t q = scaled / Currency::Scale;
        int64_t r = scaled % Currency::Scale;
        if (r < 0) {
            q -= 1;
            r += Currency::Scale;
        }
        if (2 * r > Currency::Scale || (2 * r == Currency::Scale && (q & 1) != 0)) {
            q += 1;
        }
        if (q < INT32_MIN || q > INT32_MAX) {
            Raise(ErrOverflow);
        }
        return static_cast<int32_t>(q);
    }
    const double rounded = std::nearbyint(CDbl(value));
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
        Raise(ErrOverflow);
    }
    return static_cast<int32_t>(rounded);
}

float CSng(const Variant& value)
{
    const double number = CDbl(value);
    if (std::isfinite(number) && std::fabs(number) > FLT_MAX) {
        Raise(ErrOverflow);
    }
    return static_cast<float>(number);
}

double CDbl(const Variant& value)
{
    switch (value.Type()) {
    case VarType::Empty:
        return 0;
    case VarType::Null:
        Raise(ErrInvalidUseOfNull);
    case VarType::Boolean:
        return value.BooleanValue() ? -1 : 0;
    case VarType::Integer:
        return value.IntegerValue();
    case VarType::Long:
        return value.LongValue();
    case VarType::Single:
        return value.SingleValue();
    case VarType::Double:
        return value.DoubleValue();
    case VarType::Currency:
        return value.CurrencyValue().ToDouble();
    case VarType::Date:
        return value.DateValue().serial;
    case VarType::String: {
        const double number = NumberOfText(value.StringValue()).ToDouble();
        if (!std::isfinite(number)) {
            Raise(ErrOverflow);
        }
        return number;
    }
    case VarType::Bytes:
        break;
    }
    Raise(ErrTypeMismatch);
}

Currency CCur(const Variant& value)
{
    switch (value.Type()) {
    case VarType::Currency:
        return value.CurrencyValue();
    case VarType::String: {
        // Read exactly, so that "0,1" is 0.1 and not the nearest binary fraction.
        const text::Number number = NumberOfText(value.StringValue());
        if (number.exponent == 0 && !number.whole) {
            return Currency::FromText(number.decimal);
        }
        return Currency::FromDouble(number.ToDouble());
    }
    case VarType::Integer:
        return Currency::FromScaled(value.IntegerValue() * Currency::Scale);
    case VarType::Long:
        return Currency::FromScaled(static_cast<int64_t>(value.LongValue()) * Currency::Scale);
    default:
        return Currency::FromDouble(CDbl(value));
    }
}

Date CDate(const Variant& value)
{
    switch (value.Type()) {
    case VarType::Null:
        Raise(ErrInvalidUseOfNull);
    case VarType::Date:
        return value.DateValue();
    case VarType::String: {
        const auto date = text::ReadDate(value.StringValue());
        if (!date) {
            Raise(ErrTypeMismatch);
        }
        return *date;
    }
    default: {
        const double serial = CDbl(value);
        if (!(serial > Date::FirstDay - 1 && serial < Date::EndDay)) {
            Raise(ErrOverflow);
        }
        return Date{serial};
    }
    }
}

double Val(std::string_view text)
{
    // Blanks are skipped anywhere; reading stops at the first character that fits no number.
    std::string compact;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            compact += c;
        }
    }
    if (compact.size() >= 2 && compact[0] == '&') {
        size_t end = 2;
        const bool hex = compact[1] == 'H' || compact[1] == 'h';
        const auto fits = [&](char c) {
            return (c >= '0' && c <= '7') ||
                   (hex &&
                    ((c >= '8' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
        };
        while (end < compact.size() && fits(compact[end])) {
            ++end;
        }
        bool overflow = false;
        const auto number = text::ReadNumber(compact.substr(0, end), ".", &overflow);
        if (overflow) {
            Raise(ErrOverflow);
        }
        return number ? number->ToDouble() : 0;
    }
    // The longest prefix that is a number: sign, digits, one point, an exponent.
    size_t end = 0;
    size_t best = 0;
    if (end < compact.size() && (compact[end] == '-' || compact[end] == '+')) {
        ++end;
    }
    bool digits = false;
    bool point = false;
    for (; end < compact.size(); ++end) {
        const char c = compact[end];
        if (c >= '0' && c <= '9') {
            digits = true;
            best = end + 1;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits && end < compact.size() &&
        (compact[end] == 'E' || compact[end] == 'e' || compact[end] == 'D' ||
         compact[end] == 'd')) {
        size_t e = end + 1;
        if (e < compact.size() && (compact[e] == '-' || compact[e] == '+')) {
            ++e;
        }
        const size_t start = e;
        while (e < compact.size() && compact[e] >= '0' && compact[e] <= '9') {
            ++e;
        }
        if (e > start) {
            compact[end] = 'E';
            best = e;
        }
    }
    if (!digits) {
        return 0;
    }
    const auto number = text::ReadNumber(compact.substr(0, best), ".");
    const double value = number ? number->ToDouble() : 0;
    if (!std::isfinite(value)) {
        Raise(ErrOverflow);
    }
    return value;
}

bool IsNumeric(const Variant& value)
{
    switch (value.Type()) {
    case VarType::Null:
    case VarType::Date:
    case VarType::Bytes:
        return false;
    case VarType::String:
        return text::ReadNumber(value.StringValue(), win::DecimalSeparator()).has_value();
    default:
        return true;
    }
}

bool IsDate(const Variant& value)
{
    switch (value.Type()) {
    case VarType::Date:
        return true;
    case VarType::String:
        return text::ReadDate(value.StringValue()).has_value();
    default:
        return false;
    }
}

double Int(double value)
{
    return std::floor(value);
}

double Fix(double value)
{
    return std::trunc(value);
}

double Round(double value, int decimals)
{
    if (decimals < 0) {
        Raise(ErrInvalidCall);
    }
    const double scale = std::pow(10.0, decimals);
    return std::nearbyint(value * scale) / scale;
}

} // namespace vb
