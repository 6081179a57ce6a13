#include "platform/vb/Format.h"

#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Strings.h"
#include "platform/vb/TextParse.h"
#include "platform/vb/Utf8.h"
#include "platform/win/Locale.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace vb {

namespace {

constexpr std::string_view NoBreakSpace = "\u00A0";

// Calls visit(i) for each character of the pattern outside quotes and escapes, until it returns
// true; whether one did.
template <typename Visit> bool AnyUnquoted(std::string_view pattern, Visit visit)
{
    bool quoted = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '\\' && !quoted) {
            ++i;
        } else if (!quoted && visit(i)) {
            return true;
        }
    }
    return false;
}

// Splits a pattern at ";" outside quotes and escapes.
std::vector<std::string_view> Sections(std::string_view pattern)
{
    std::vector<std::string_view> sections;
    size_t start = 0;
    AnyUnquoted(pattern, [&](size_t i) {
        if (pattern[i] == ';') {
            sections.push_back(pattern.substr(start, i - start));
            start = i + 1;
        }
        return false;
    });
    sections.push_back(pattern.substr(start));
    return sections;
}

// The character starting at pos, as bytes; advances pos.
std::string_view NextCharacter(std::string_view text, size_t& pos)
{
    const size_t start = pos;
    utf8::Next(text, pos);
    return text.substr(start, pos - start);
}

// A quoted text or an escaped character at pattern[i]: its text (empty for a "\\" that ends the
// pattern), with i moved past it; none, and i unchanged, for any other character.
std::optional<std::string_view> Literal(std::string_view pattern, size_t& i)
{
    if (pattern[i] == '"') {
        const size_t end = std::min(pattern.find('"', i + 1), pattern.size());
        const std::string_view text = pattern.substr(i + 1, end - i - 1);
        i = end == pattern.size() ? end : end + 1;
        return text;
    }
    if (pattern[i] == '\\') {
        ++i;
        return i < pattern.size() ? NextCharacter(pattern, i) : std::string_view();
    }
    return std::nullopt;
}

// ---- Dates ----

enum class DateField {
    Literal,
    Day,
    Day2,
    DayName,
    DayFullName,
    ShortDate,
    LongDate,
    MonthOrMinute,
    MonthOrMinute2,
    MonthName,
    MonthFullName,
    DayOfYear,
    Year2,
    Year4,
    Hour,
    Hour2,
    Minute,
    Minute2,
    Second,
    Second2,
    Weekday,
    Week,
    Quarter,
    General
};

struct DateToken
{
    DateField field;
    std::string text; // for literals
};

std::vector<DateToken> DateTokens(std::string_view pattern)
{
    std::vector<DateToken> tokens;
    const auto literal = [&](std::string_view text) {
        if (!tokens.empty() && tokens.back().field == DateField::Literal) {
            tokens.back().text += text;
        } else {
            tokens.push_back({DateField::Literal, std::string(text)});
        }
    };
    for (size_t i = 0; i < pattern.size();) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(pattern[i])));
        size_t run = 1;
        while (i + run < pattern.size() &&
               std::tolower(static_cast<unsigned char>(pattern[i + run])) == c) {
            ++run;
        }
        const auto field = [&](DateField f) {
            tokens.push_back({f, {}});
            i += run;
        };
        switch (c) {
        case 'd':
            field(run == 1   ? DateField::Day
                  : run == 2 ? DateField::Day2
                  : run == 3 ? DateField::DayName
                  : run == 4 ? DateField::DayFullName
                  : run == 5 ? DateField::ShortDate
                             : DateField::LongDate);
            break;
        case 'm':
            field(run == 1   ? DateField::MonthOrMinute
                  : run == 2 ? DateField::MonthOrMinute2
                  : run == 3 ? DateField::MonthName
                             : DateField::MonthFullName);
            break;
        case 'y':
            field(run == 1 ? DateField::DayOfYear : run <= 3 ? DateField::Year2 : DateField::Year4);
            break;
        case 'h':
            field(run == 1 ? DateField::Hour : DateField::Hour2);
            break;
        case 'n':
            field(run == 1 ? DateField::Minute : DateField::Minute2);
            break;
        case 's':
            field(run == 1 ? DateField::Second : DateField::Second2);
            break;
        case 'w':
            field(run == 1 ? DateField::Weekday : DateField::Week);
            break;
        case 'q':
            field(DateField::Quarter);
            break;
        case 'c':
            field(DateField::General);
            break;
        case '"':
        case '\\':
            literal(*Literal(pattern, i));
            break;
        default:
            literal(NextCharacter(pattern, i));
            break;
        }
    }
    // "m" is a minute right after an hour or right before a second.
    const auto isHour = [](DateField f) { return f == DateField::Hour || f == DateField::Hour2; };
    const auto isSecond = [](DateField f) {
        return f == DateField::Second || f == DateField::Second2;
    };
    for (size_t i = 0; i < tokens.size(); ++i) {
        DateToken& token = tokens[i];
        if (token.field != DateField::MonthOrMinute && token.field != DateField::MonthOrMinute2) {
            continue;
        }
        bool minute = false;
        for (size_t j = i; j-- > 0;) {
            if (tokens[j].field != DateField::Literal) {
                minute = isHour(tokens[j].field);
                break;
            }
        }
        for (size_t j = i + 1; !minute && j < tokens.size(); ++j) {
            if (tokens[j].field != DateField::Literal) {
                minute = isSecond(tokens[j].field);
                break;
            }
        }
        const bool two = token.field == DateField::MonthOrMinute2;
        token.field = minute ? (two ? DateField::Minute2 : DateField::Minute)
                             : (two ? DateField::MonthOrMinute2 : DateField::MonthOrMinute);
    }
    return tokens;
}

std::string TwoDigits(int value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

// A date field's number, with two digits at least for the doubled letter.
std::string Number(int value, bool twoDigits)
{
    return twoDigits ? TwoDigits(value) : std::to_string(value);
}

std::string FormatDate(Date date, std::string_view pattern);

std::string ShortDate(Date date)
{
    return FormatDate(date, "dd/mm/yyyy");
}

std::string LongDate(Date date)
{
    return FormatDate(date, "dddd d mmmm yyyy");
}

std::string FormatDate(Date date, std::string_view pattern)
{
    const DateParts p = date.ToParts();
    std::string out;
    for (const DateToken& token : DateTokens(pattern)) {
        switch (token.field) {
        case DateField::Literal:
            out += token.text;
            break;
        case DateField::Day:
        case DateField::Day2:
            out += Number(p.day, token.field == DateField::Day2);
            break;
        case DateField::DayName:
            out += WeekdayName(Weekday(date), true);
            break;
        case DateField::DayFullName:
            out += WeekdayName(Weekday(date));
            break;
        case DateField::ShortDate:
            out += ShortDate(date);
            break;
        case DateField::LongDate:
            out += LongDate(date);
            break;
        case DateField::MonthOrMinute:
        case DateField::MonthOrMinute2:
            out += Number(p.month, token.field == DateField::MonthOrMinute2);
            break;
        case DateField::MonthName:
            out += MonthName(p.month, true);
            break;
        case DateField::MonthFullName:
            out += MonthName(p.month);
            break;
        case DateField::DayOfYear:
            out += std::to_string(DatePart("y", date));
            break;
        case DateField::Year2:
            out += TwoDigits(p.year % 100);
            break;
        case DateField::Year4:
            out += std::to_string(p.year);
            break;
        case DateField::Hour:
        case DateField::Hour2:
            out += Number(p.hour, token.field == DateField::Hour2);
            break;
        case DateField::Minute:
        case DateField::Minute2:
            out += Number(p.minute, token.field == DateField::Minute2);
            break;
        case DateField::Second:
        case DateField::Second2:
            out += Number(p.second, token.field == DateField::Second2);
            break;
        case DateField::Weekday:
            out += std::to_string(Weekday(date));
            break;
        case DateField::Week:
            out += std::to_string(DatePart("ww", date));
            break;
        case DateField::Quarter:
            out += std::to_string(DatePart("q", date));
            break;
        case DateField::General:
            out += CStr(date);
            break;
        }
    }
    return out;
}

// ---- Numbers ----

// A number as decimal digits: integer digits (no leading zeros) and fraction digits.
struct Decimal
{
    bool negative = false;
    std::string whole;
    std::string fraction;

    bool IsZero() const
    {
        return whole.find_first_not_of('0') == std::string::npos &&
               fraction.find_first_not_of('0') == std::string::npos;
    }
};

Decimal FromText(std::string_view text)
{
    Decimal d;
    if (!text.empty() && text[0] == '-') {
        d.negative = true;
        text.remove_prefix(1);
    }
    const size_t point = text.find('.');
    d.whole = std::string(text.substr(0, point));
    if (point != std::string_view::npos) {
        d.fraction = std::string(text.substr(point + 1));
    }
    const size_t first = d.whole.find_first_not_of('0');
    d.whole = first == std::string::npos ? std::string() : d.whole.substr(first);
    return d;
}

// The shortest decimal form that reads back as the same value, so that 2.675 rounds as
// written rather than as its binary neighbour.
Decimal DecimalOf(const Variant& value)
{
    char buffer[400];
    if (value.Type() == VarType::Currency) {
        return FromText(value.CurrencyValue().ToText());
    }
    std::to_chars_result result;
    if (value.Type() == VarType::Single) {
        result = std::to_chars(buffer, buffer + sizeof buffer, value.SingleValue(),
                               std::chars_format::fixed);
    } else {
        result =
            std::to_chars(buffer, buffer + sizeof buffer, CDbl(value), std::chars_format::fixed);
    }
    return FromText(std::string_view(buffer, result.ptr - buffer));
}

// Rounds to the given fraction digits, halves away from zero.
void RoundTo(Decimal& d, size_t digits)
{
    if (d.fraction.size() <= digits) {
        d.fraction.append(digits - d.fraction.size(), '0');
        return;
    }
    const bool up = d.fraction[digits] >= '5';
    d.fraction.resize(digits);
    if (!up) {
        return;
    }
    std::string all = d.whole + d.fraction;
    size_t i = all.size();
    while (i > 0 && all[i - 1] == '9') {
        all[--i] = '0';
    }
    if (i == 0) {
        all.insert(all.begin(), '1');
    } else {
        ++all[i - 1];
    }
    d.whole = all.substr(0, all.size() - digits);
    d.fraction = all.substr(all.size() - digits);
}

enum class NumberKind { Zero, Hash, Point, Comma, Blank, Percent, Literal };

struct NumberToken
{
    NumberKind kind;
    std::string text;
};

std::vector<NumberToken> NumberTokens(std::string_view pattern)
{
    std::vector<NumberToken> tokens;
    for (size_t i = 0; i < pattern.size();) {
        if (const auto text = Literal(pattern, i)) {
            tokens.push_back({NumberKind::Literal, std::string(*text)});
        } else {
            const std::string_view ch = NextCharacter(pattern, i);
            const NumberKind kind = ch == "0"                         ? NumberKind::Zero
                                    : ch == "#"                       ? NumberKind::Hash
                                    : ch == "."                       ? NumberKind::Point
                                    : ch == ","                       ? NumberKind::Comma
                                    : ch == " " || ch == NoBreakSpace ? NumberKind::Blank
                                    : ch == "%"                       ? NumberKind::Percent
                                                                      : NumberKind::Literal;
            tokens.push_back({kind, std::string(ch)});
        }
    }
    const auto isDigit = [](const NumberToken& t) {
        return t.kind == NumberKind::Zero || t.kind == NumberKind::Hash;
    };
    // A blank or comma counts only between two digits; elsewhere it is text.
    for (size_t i = 0; i < tokens.size(); ++i) {
        NumberToken& t = tokens[i];
        if (t.kind != NumberKind::Comma && t.kind != NumberKind::Blank) {
            continue;
        }
        const bool between =
            i > 0 && isDigit(tokens[i - 1]) && i + 1 < tokens.size() && isDigit(tokens[i + 1]);
        if (!between) {
            t.kind = NumberKind::Literal;
        }
    }
    // Only the first "." is the decimal point. Without one, in a pattern that groups with
    // blanks ("#\u00A0##0,00"), the last "," is the point, written with the French separator.
    bool point = false;
    for (NumberToken& t : tokens) {
        if (t.kind == NumberKind::Point) {
            if (point) {
                t.kind = NumberKind::Literal;
            }
            point = true;
        }
    }
    if (!point) {
        for (size_t i = tokens.size(); i-- > 0;) {
            if (tokens[i].kind == NumberKind::Comma) {
                bool blankBefore = false, digitsAfter = false, groupAfter = false;
                for (size_t j = 0; j < i; ++j) {
                    blankBefore = blankBefore || tokens[j].kind == NumberKind::Blank;
                }
                for (size_t j = i + 1; j < tokens.size(); ++j) {
                    digitsAfter = digitsAfter || isDigit(tokens[j]);
                    groupAfter = groupAfter || tokens[j].kind == NumberKind::Blank ||
                                 tokens[j].kind == NumberKind::Comma;
                }
                if (blankBefore && digitsAfter && !groupAfter) {
                    tokens[i].kind = NumberKind::Point;
                }
                break;
            }
        }
    }
    return tokens;
}

std::string FormatNumberSection(Decimal number, std::string_view pattern, bool withSign)
{
    const std::vector<NumberToken> tokens = NumberTokens(pattern);
    size_t pointAt = tokens.size();
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind == NumberKind::Point) {
            pointAt = i;
            break;
        }
    }
    size_t fractionDigits = 0, fractionZeros = 0, wholeZeros = 0, wholeDigits = 0;
    std::string group;
    bool percent = false;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const NumberKind kind = tokens[i].kind;
        if (kind == NumberKind::Percent) {
            percent = true;
        }
        if (i < pointAt) {
            wholeDigits += kind == NumberKind::Zero || kind == NumberKind::Hash;
            wholeZeros += kind == NumberKind::Zero;
            if (kind == NumberKind::Blank) {
                group = tokens[i].text;
            } else if (kind == NumberKind::Comma) {
                group = win::DecimalSeparator() == "," ? std::string(NoBreakSpace) : ",";
            }
        } else if (kind == NumberKind::Zero || kind == NumberKind::Hash) {
            ++fractionDigits;
            // Digits up to the last "0" are always shown.
            if (kind == NumberKind::Zero) {
                fractionZeros = fractionDigits;
            }
        }
    }
    if (percent) {
        // Times 100: move the point two places.
        number.fraction.append(2 - std::min<size_t>(2, number.fraction.size()), '0');
        number.whole += number.fraction.substr(0, 2);
        number.fraction.erase(0, 2);
        const size_t first = number.whole.find_first_not_of('0');
        number.whole = first == std::string::npos ? std::string() : number.whole.substr(first);
    }
    RoundTo(number, fractionDigits);
    while (number.fraction.size() > fractionZeros && number.fraction.back() == '0') {
        number.fraction.pop_back();
    }
    std::string whole = number.whole;
    if (whole.size() < wholeZeros) {
        whole.insert(0, wholeZeros - whole.size(), '0');
    }
    if (!group.empty()) {
        std::string grouped;
        for (size_t i = 0; i < whole.size(); ++i) {
            if (i > 0 && (whole.size() - i) % 3 == 0) {
                grouped += group;
            }
            grouped += whole[i];
        }
        whole = grouped;
    }

    std::string out = withSign && !number.IsZero() ? "-" : "";
    // Whole part: literals before the first digit, then all the digits, then the literals that
    // stood between or after the digit places.
    bool digitsWritten = wholeDigits == 0;
    if (digitsWritten) {
        out += whole;
    }
    for (size_t i = 0; i < pointAt; ++i) {
        const NumberToken& t = tokens[i];
        if (t.kind == NumberKind::Zero || t.kind == NumberKind::Hash) {
            if (!digitsWritten) {
                out += whole;
                digitsWritten = true;
            }
        } else if (t.kind == NumberKind::Literal || t.kind == NumberKind::Percent) {
            out += t.text;
        }
    }
    // Fraction: digits in their places, literals where they stand.
    size_t next = 0;
    for (size_t i = pointAt; i < tokens.size(); ++i) {
        const NumberToken& t = tokens[i];
        if (t.kind == NumberKind::Point) {
            if (!number.fraction.empty()) {
                out += win::DecimalSeparator();
            }
        } else if (t.kind == NumberKind::Zero || t.kind == NumberKind::Hash) {
            if (next < number.fraction.size()) {
                out += number.fraction[next];
            }
            ++next;
        } else {
            out += t.text;
        }
    }
    return out;
}

std::string FormatNumber(const Decimal& number, std::string_view pattern)
{
    const std::vector<std::string_view> sections = Sections(pattern);
    if (number.IsZero() && sections.size() >= 3 && !sections[2].empty()) {
        return FormatNumberSection(number, sections[2], false);
    }
    if (number.negative && sections.size() >= 2 && !sections[1].empty()) {
        Decimal magnitude = number;
        magnitude.negative = false;
        return FormatNumberSection(magnitude, sections[1], false);
    }
    return FormatNumberSection(number, sections[0], number.negative);
}

// ---- Choosing the kind of pattern ----

bool HasDigitPlaces(std::string_view pattern)
{
    return AnyUnquoted(pattern, [&](size_t i) { return pattern[i] == '0' || pattern[i] == '#'; });
}

bool Named(std::string_view pattern, const char* name)
{
    return StrComp(pattern, name, vbTextCompare) == 0;
}

} // namespace

std::string Format(const Variant& value, std::string_view pattern)
{
    if (value.IsNull() || value.IsEmpty()) {
        return {};
    }
    if (pattern.empty()) {
        return CStr(value);
    }
    const auto asDate = [&]() -> std::optional<Date> {
        if (value.Type() == VarType::String) {
            return IsDate(value) ? std::optional<Date>(CDate(value)) : std::nullopt;
        }
        return CDate(value);
    };
    const auto dateFormat = [&](std::string_view datePattern) {
        const auto date = asDate();
        return date ? FormatDate(*date, datePattern) : value.StringValue();
    };
    if (Named(pattern, "General Date")) {
        const auto date = asDate();
        return date ? CStr(*date) : value.StringValue();
    }
    if (Named(pattern, "Short Date")) {
        return dateFormat("dd/mm/yyyy");
    }
    if (Named(pattern, "Long Date")) {
        return dateFormat("dddd d mmmm yyyy");
    }
    if (Named(pattern, "Short Time")) {
        return dateFormat("hh:nn");
    }
    if (Named(pattern, "Long Time")) {
        return dateFormat("hh:nn:ss");
    }
    if (Named(pattern, "General Number")) {
        return IsNumeric(value) ? CStr(CDbl(value)) : CStr(value);
    }
    if (!HasDigitPlaces(pattern)) {
        return dateFormat(pattern);
    }
    if (value.Type() == VarType::String) {
        // A text is read with the settings' separator, exactly as written.
        const auto number = text::ReadNumber(value.StringValue(), win::DecimalSeparator());
        if (!number) {
            return value.StringValue();
        }
        if (number->exponent == 0 && !number->whole) {
            return FormatNumber(FromText(number->decimal), pattern);
        }
        return FormatNumber(DecimalOf(number->ToDouble()), pattern);
    }
    return FormatNumber(DecimalOf(value), pattern);
}

} // namespace vb
