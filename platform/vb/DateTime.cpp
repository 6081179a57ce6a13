#include "platform/vb/DateTime.h"

#include "platform/vb/Error.h"
#include "platform/win/Clock.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace vb {

namespace {

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

Interval ParseInterval(std::string_view text)
{
    std::string lower;
    for (const char c : text) {
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    static const std::pair<const char*, Interval> names[] = {
        {"yyyy", Interval::Year},   {"q", Interval::Quarter}, {"m", Interval::Month},
        {"y", Interval::DayOfYear}, {"d", Interval::Day},     {"w", Interval::Weekday},
        {"ww", Interval::Week},     {"h", Interval::Hour},    {"n", Interval::Minute},
        {"s", Interval::Second}};
    for (const auto& [name, interval] : names) {
        if (lower == name) {
            return interval;
        }
    }
    Raise(ErrInvalidCall);
}

void CheckFirstDay(int firstDayOfWeek)
{
    if (firstDayOfWeek < 1 || firstDayOfWeek > 7) {
        Raise(ErrInvalidCall);
    }
}

// A date as a continuous count of days from 30/12/1899, and back; error 5 outside the calendar.
double Linear(Date date)
{
    return date - Date{0};
}

Date FromLinear(double linear)
{
    if (!(linear >= Date::FirstDay && linear < Date::EndDay)) {
        Raise(ErrInvalidCall);
    }
    return Date{0} + linear;
}

// The day as ToParts sees it (a time that rounds to the next midnight is the next day).
long long DayNumber(Date date)
{
    const DateParts p = date.ToParts();
    return static_cast<long long>(Date::FromParts(p.year, p.month, p.day).serial);
}

long long SecondNumber(Date date)
{
    return std::llround(Linear(date) * 86400.0);
}

long long FloorDiv(long long a, long long b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

Date AddMonths(Date date, long long months)
{
    const DateParts p = date.ToParts();
    const long long index = p.year * 12LL + (p.month - 1) + months;
    const long long year = FloorDiv(index, 12);
    const int month = static_cast<int>(index - year * 12) + 1;
    if (year < 100 || year > 9999) {
        Raise(ErrInvalidCall);
    }
    const int y = static_cast<int>(year);
    return Date::FromParts(y, month, std::min(p.day, DaysInMonth(y, month)), p.hour, p.minute,
                           p.second);
}

int DayOfYear(Date date)
{
    return static_cast<int>(DayNumber(date) - DayNumber(DateSerial(Year(date), 1, 1))) + 1;
}

std::tm LocalTime(std::chrono::system_clock::time_point now)
{
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

} // namespace

Date DateAdd(std::string_view interval, double number, Date date)
{
    // More seconds than the calendar holds (or no number at all) lands outside it whatever the
    // interval; checked first so that the counts below cannot overflow.
    constexpr double CalendarSeconds = (Date::EndDay - Date::FirstDay) * 86400.0;
    if (!(std::fabs(number) <= CalendarSeconds)) {
        Raise(ErrInvalidCall);
    }
    const long long n = static_cast<long long>(std::nearbyint(number));
    switch (ParseInterval(interval)) {
    case Interval::Year:
        return AddMonths(date, n * 12);
    case Interval::Quarter:
        return AddMonths(date, n * 3);
    case Interval::Month:
        return AddMonths(date, n);
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday:
        return FromLinear(Linear(date) + static_cast<double>(n));
    case Interval::Week:
        return FromLinear(Linear(date) + 7.0 * static_cast<double>(n));
    case Interval::Hour:
        return FromLinear((SecondNumber(date) + n * 3600) / 86400.0);
    case Interval::Minute:
        return FromLinear((SecondNumber(date) + n * 60) / 86400.0);
    case Interval::Second:
        return FromLinear((SecondNumber(date) + n) / 86400.0);
    }
    Raise(ErrInvalidCall);
}

long long DateDiff(std::string_view interval, Date date1, Date date2, int firstDayOfWeek)
{
    CheckFirstDay(firstDayOfWeek);
    const Interval which = ParseInterval(interval);
    const DateParts a = date1.ToParts();
    const DateParts b = date2.ToParts();
    switch (which) {
    case Interval::Year:
        return b.year - a.year;
    case Interval::Quarter:
        return (b.year * 4LL + (b.month - 1) / 3) - (a.year * 4LL + (a.month - 1) / 3);
    case Interval::Month:
        return (b.year * 12LL + b.month) - (a.year * 12LL + a.month);
    case Interval::DayOfYear:
    case Interval::Day:
        return DayNumber(date2) - DayNumber(date1);
    case Interval::Weekday:
        // Whole weeks between the two, counted towards zero.
        return (DayNumber(date2) - DayNumber(date1)) / 7;
    case Interval::Week: {
        // First days of the week crossed.
        const auto weekStart = [&](Date d) {
            return DayNumber(d) - (Weekday(d, firstDayOfWeek) - 1);
        };
        return (weekStart(date2) - weekStart(date1)) / 7;
    }
    case Interval::Hour:
        return FloorDiv(SecondNumber(date2), 3600) - FloorDiv(SecondNumber(date1), 3600);
    case Interval::Minute:
        return FloorDiv(SecondNumber(date2), 60) - FloorDiv(SecondNumber(date1), 60);
    case Interval::Second:
        return SecondNumber(date2) - SecondNumber(date1);
    }
    Raise(ErrInvalidCall);
}

int DatePart(std::string_view interval, Date date, int firstDayOfWeek)
{
    CheckFirstDay(firstDayOfWeek);
    const DateParts p = date.ToParts();
    switch (ParseInterval(interval)) {
    case Interval::Year:
        return p.year;
    case Interval::Quarter:
        return (p.month - 1) / 3 + 1;
    case Interval::Month:
        return p.month;
    case Interval::DayOfYear:
        return DayOfYear(date);
    case Interval::Day:
        return p.day;
    case Interval::Weekday:
        return Weekday(date, firstDayOfWeek);
    case Interval::Week: {
        // Week 1 is the week of 1 January.
        const int firstWeekday = Weekday(DateSerial(p.year, 1, 1), firstDayOfWeek);
        return (DayOfYear(date) + firstWeekday - 2) / 7 + 1;
    }
    case Interval::Hour:
        return p.hour;
    case Interval::Minute:
        return p.minute;
    case Interval::Second:
        return p.second;
    }
    Raise(ErrInvalidCall);
}

Date DateSerial(int year, int month, int day)
{
    // Two-digit years: 0 to 29 are in the 2000s, 30 to 99 in the 1900s.
    if (year >= 0 && year < 100) {
        year += year < 30 ? 2000 : 1900;
    }
    return Date::FromParts(year, month, day);
}

Date TimeSerial(int hour, int minute, int second)
{
    const long long seconds = hour * 3600LL + minute * 60LL + second;
    return FromLinear(static_cast<double>(seconds) / 86400.0);
}

int Year(Date date)
{
    return date.ToParts().year;
}

int Month(Date date)
{
    return date.ToParts().month;
}

int Day(Date date)
{
    return date.ToParts().day;
}

int Hour(Date date)
{
    return date.ToParts().hour;
}

int Minute(Date date)
{
    return date.ToParts().minute;
}

int Second(Date date)
{
    return date.ToParts().second;
}

int Weekday(Date date, int firstDayOfWeek)
{
    CheckFirstDay(firstDayOfWeek);
    // 30/12/1899, day 0, was a Saturday.
    const int sundayBased = static_cast<int>(((DayNumber(date) + 6) % 7 + 7) % 7) + 1;
    return (sundayBased - firstDayOfWeek + 7) % 7 + 1;
}

Date Now()
{
    const std::tm t = LocalTime(win::Clock::Now());
    return Date::FromParts(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min,
                           t.tm_sec);
}

Date Today()
{
    return Now().DatePart();
}

Date Time()
{
    return Now().TimePart();
}

std::string MonthName(int month, bool abbreviate)
{
    static const char* full[] = {"janvier",   "février", "mars",     "avril",
                                 "mai",       "juin",    "juillet",  "août",
                                 "septembre", "octobre", "novembre", "décembre"};
    static const char* shortNames[] = {"janv.", "févr.", "mars",  "avr.", "mai",  "juin",
                                       "juil.", "août",  "sept.", "oct.", "nov.", "déc."};
    if (month < 1 || month > 12) {
        Raise(ErrInvalidCall);
    }
    return abbreviate ? shortNames[month - 1] : full[month - 1];
}

std::string WeekdayName(int weekday, bool abbreviate)
{
    static const char* full[] = {"dimanche", "lundi",    "mardi", "mercredi",
                                 "jeudi",    "vendredi", "samedi"};
    static const char* shortNames[] = {"dim.", "lun.", "mar.", "mer.", "jeu.", "ven.", "sam."};
    if (weekday < 1 || weekday > 7) {
        Raise(ErrInvalidCall);
    }
    return abbreviate ? shortNames[weekday - 1] : full[weekday - 1];
}

} // namespace vb
