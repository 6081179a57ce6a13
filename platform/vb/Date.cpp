#include "platform/vb/Date.h"

#include "platform/vb/Error.h"

#include <cmath>
#include <cstdio>

namespace vb {

namespace {

// Days from 1970-01-01 of a date of the proleptic Gregorian calendar.
[[gnu::always_inline]] constexpr long long DaysFromCivil(long long y, long long m, long long d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

constexpr long long SerialEpoch = DaysFromCivil(1899, 12, 30);

// The day number and the seconds of the day, rounded to the nearest second.
void Split(double serial, long long& day, long long& seconds)
{
    day = static_cast<long long>(std::trunc(serial));
    seconds = std::llround(std::fabs(serial - static_cast<double>(day)) * 86400.0);
    if (seconds >= 86400) {
        day += 1;
        seconds -= 86400;
    }
}

double Join(long long day, long long seconds)
{
    const double fraction = static_cast<double>(seconds) / 86400.0;
    return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

bool ReadNumber(std::string_view text, size_t& pos, size_t digits, int& value)
{
    value = 0;
    for (size_t i = 0; i < digits; ++i, ++pos) {
        if (pos >= text.size() || text[pos] < '0' || text[pos] > '9') {
            return false;
        }
        value = value * 10 + (text[pos] - '0');
    }
    return true;
}

// The number of two digits, 100 when either is no digit.
inline unsigned TwoDigits(const char* p)
{
    const unsigned tens = static_cast<unsigned char>(p[0]) - unsigned{'0'};
    const unsigned units = static_cast<unsigned char>(p[1]) - unsigned{'0'};
    return tens <= 9 && units <= 9 ? tens * 10 + units : 100;
}

bool Expect(std::string_view text, size_t& pos, char c)
{
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

} // namespace

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

Date Date::FromParts(int year, int month, int day, int hour, int minute, int second)
{
    // Carry months into years first, then everything else into days.
    // In 64 bits, so that extreme arguments give error 5 rather than overflow.
    long long y = year + (month - 1LL) / 12;
    long long m = (month - 1LL) % 12;
    if (m < 0) {
        m += 12;
        y -= 1;
    }
    long long seconds =
        static_cast<long long>(hour) * 3600 + static_cast<long long>(minute) * 60 + second;
    long long days = DaysFromCivil(y, m + 1, 1) - SerialEpoch + (day - 1LL);
    days += seconds / 86400;
    seconds %= 86400;
    if (seconds < 0) {
        seconds += 86400;
        days -= 1;
    }
    if (days < FirstDay || days >= EndDay) {
        Raise(ErrInvalidCall);
    }
    return Date{Join(days, seconds)};
}

DateParts Date::ToParts() const
{
    long long day, seconds;
    Split(serial, day, seconds);
    DateParts parts;
    CivilFromDays(day + SerialEpoch, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    return parts;
}

std::string Date::ToIsoText() const
{
    const DateParts p = ToParts();
    if (p.year < 0 || p.year > 9999) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month,
                      p.day, p.hour, p.minute, p.second);
        return buffer;
    }
    // Every date written to a table comes here: digit by digit.
    std::string text = "0000-00-00 00:00:00";
    auto put = [&text](size_t at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10) {
            text[at + static_cast<size_t>(i)] = static_cast<char>('0' + value % 10);
        }
    };
    put(0, p.year, 4);
    put(5, p.month, 2);
    put(8, p.day, 2);
    put(11, p.hour, 2);
    put(14, p.minute, 2);
    put(17, p.second, 2);
    return text;
}

std::optional<Date> Date::FromIsoText(std::string_view text)
{
    // The stored form "YYYY-MM-DD HH:MM:SS", read without a loop (every stored date comes here).
    if (text.size() == 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' &&
        text[13] == ':' && text[16] == ':') {
        const char* p = text.data();
        const unsigned century = TwoDigits(p);
        const unsigned years = TwoDigits(p + 2);
        const int year = static_cast<int>(century * 100 + years);
        const int month = static_cast<int>(TwoDigits(p + 5));
        const int day = static_cast<int>(TwoDigits(p + 8));
        const int hour = static_cast<int>(TwoDigits(p + 11));
        const int minute = static_cast<int>(TwoDigits(p + 14));
        const int second = static_cast<int>(TwoDigits(p + 17));
        if (century > 99 || years > 99 || year < 100 || month < 1 || month > 12 || day < 1 ||
            day > DaysInMonth(year, month) || hour > 23 || minute > 59 || second > 59) {
            return std::nullopt;
        }
        return Date{Join(DaysFromCivil(year, month, day) - SerialEpoch,
                         hour * 3600LL + minute * 60LL + second)};
    }
    size_t pos = 0;
    int year, month, day, hour = 0, minute = 0, second = 0;
    if (!ReadNumber(text, pos, 4, year) || !Expect(text, pos, '-') ||
        !ReadNumber(text, pos, 2, month) || !Expect(text, pos, '-') ||
        !ReadNumber(text, pos, 2, day)) {
        return std::nullopt;
    }
    if (pos < text.size()) {
        if (!Expect(text, pos, ' ') && !Expect(text, pos, 'T')) {
            return std::nullopt;
        }
        if (!ReadNumber(text, pos, 2, hour) || !Expect(text, pos, ':') ||
            !ReadNumber(text, pos, 2, minute)) {
            return std::nullopt;
        }
        if (Expect(text, pos, ':') && !ReadNumber(text, pos, 2, second)) {
            return std::nullopt;
        }
        if (pos != text.size()) {
            return std::nullopt;
        }
    }
    if (year < 100 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    // A valid day of the calendar: its serial directly (every database date is read here).
    const long long days = DaysFromCivil(year, month, day) - SerialEpoch;
    return Date{Join(days, hour * 3600LL + minute * 60LL + second)};
}

Date Date::DatePart() const
{
    long long day, seconds;
    Split(serial, day, seconds);
    return Date{static_cast<double>(day)};
}

Date Date::TimePart() const
{
    long long day, seconds;
    Split(serial, day, seconds);
    return Date{static_cast<double>(seconds) / 86400.0};
}

namespace {

// The serial's backward days before 30/12/1899 made forward.
double Linear(Date date)
{
    const double day = std::trunc(date.serial);
    return day + std::fabs(date.serial - day);
}

} // namespace

Date operator+(Date date, double days)
{
    const double linear = Linear(date) + days;
    if (!(linear >= Date::FirstDay && linear < Date::EndDay)) {
        Raise(ErrOverflow);
    }
    const double day = std::floor(linear);
    const double fraction = linear - day;
    return Date{day >= 0 ? day + fraction : day - fraction};
}

double operator-(Date a, Date b)
{
    return Linear(a) - Linear(b);
}

} // namespace vb
