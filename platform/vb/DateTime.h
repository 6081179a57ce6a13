#pragma once

#include "platform/vb/Date.h"

#include <string>
#include <string_view>

// The language's date functions. Intervals are "yyyy" (year), "q" (quarter), "m" (month),
// "y" (day of year), "d" (day), "w" (weekday), "ww" (week), "h", "n" (minute), "s"; an unknown
// interval raises error 5. Weeks start on Sunday (1) unless told otherwise.
namespace vb {

inline constexpr int vbSunday = 1;
inline constexpr int vbMonday = 2;

// Adding months keeps the day, or takes the month's last day when it has fewer (31/01 + 1 month
// is 28/02 or 29/02).
Date DateAdd(std::string_view interval, double number, Date date);
// The number of interval boundaries crossed from date1 to date2 (negative when date2 is earlier).
long long DateDiff(std::string_view interval, Date date1, Date date2,
                   int firstDayOfWeek = vbSunday);
int DatePart(std::string_view interval, Date date, int firstDayOfWeek = vbSunday);

Date DateSerial(int year, int month, int day);
Date TimeSerial(int hour, int minute, int second);

int Year(Date date);
int Month(Date date);
int Day(Date date);
int Hour(Date date);
int Minute(Date date);
int Second(Date date);
// 1 for the first day of the week (Sunday by default) to 7.
int Weekday(Date date, int firstDayOfWeek = vbSunday);

// The local date-time of the program's clock (win::Clock), to the second; Today is the
// language's Date (the day alone), Time the time alone.
Date Now();
Date Today();
Date Time();

// French month names: "janvier" ... "décembre"; abbreviated "janv." ... "déc.".
std::string MonthName(int month, bool abbreviate = false);
// French day names, 1 = "dimanche" ... 7 = "samedi".
std::string WeekdayName(int weekday, bool abbreviate = false);

} // namespace vb
