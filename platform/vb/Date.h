#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace vb {

// The fields of a date-time, in the local calendar, seconds rounded to the nearest whole.
struct DateParts
{
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The language's date: days since 30/12/1899, the fraction being the time of day. Before that
// day the integer part counts backwards while the fraction still moves forward in the day
// (-1.25 is 29/12/1899 06:00).
// Days of a month (1 to 12) of the Gregorian calendar.
int DaysInMonth(int year, int month);

struct Date
{
    double serial = 0;

    // 01/01/100 and the day after 31/12/9999, the ends of the calendar, in days from 30/12/1899.
    static constexpr double FirstDay = -657434;
    static constexpr double EndDay = 2958466;

    // Months, days, hours ... out of their range carry over, as DateSerial and TimeSerial do.
    // Raises error 5 for a year outside 100..9999.
    static Date FromParts(int year, int month, int day, int hour = 0, int minute = 0,
                          int second = 0);
    DateParts ToParts() const;

    // "YYYY-MM-DD HH:MM:SS", the form in which the database stores dates.
    std::string ToIsoText() const;
    // Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" (or with "T", with or without seconds);
    // nullopt for anything else or an impossible date.
    static std::optional<Date> FromIsoText(std::string_view text);

    // The day without its time, and the time without its day, to the second as ToParts sees
    // them.
    Date DatePart() const;
    Date TimePart() const;

    // Arithmetic in days, continuous across 30/12/1899 (as the language's date + number);
    // error 6 for a result outside the calendar.
    friend Date operator+(Date date, double days);
    friend Date operator-(Date date, double days) { return date + -days; }
    // The days from b to a.
    friend double operator-(Date a, Date b);

    friend bool operator==(Date a, Date b) { return a.serial == b.serial; }
    friend auto operator<=>(Date a, Date b) { return a.serial <=> b.serial; }
};

} // namespace vb
