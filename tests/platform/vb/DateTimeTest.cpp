#include "platform/vb/DateTime.h"
#include "platform/vb/Error.h"
#include "platform/win/Clock.h"

#include "NumericLocale.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <ctime>

using namespace vb;

namespace {

Date Day(int y, int m, int d, int h = 0, int mi = 0, int s = 0)
{
    return Date::FromParts(y, m, d, h, mi, s);
}

std::string Iso(Date date)
{
    return date.ToIsoText();
}

TEST(Date, SerialsCountDaysFrom30December1899)
{
    const std::pair<Date, double> cases[] = {
        {Day(1899, 12, 30), 0},           {Day(1900, 1, 1), 2},
        {Day(2006, 12, 31), 39082},       {Day(2000, 2, 29), 36585},
        {Day(2006, 12, 31, 12), 39082.5}, {Day(1899, 12, 29, 6), -1.25},
        {Day(100, 1, 1), -657434},        {Day(9999, 12, 31), 2958465}};
    for (const auto& [date, serial] : cases) {
        EXPECT_DOUBLE_EQ(date.serial, serial) << Iso(date);
        const DateParts p = Date{serial}.ToParts();
        EXPECT_EQ(Day(p.year, p.month, p.day, p.hour, p.minute, p.second), date) << serial;
    }
    // Out-of-range fields carry over.
    EXPECT_EQ(Day(2006, 13, 1), Day(2007, 1, 1));
    EXPECT_EQ(Day(2007, 3, 0), Day(2007, 2, 28));
    EXPECT_EQ(Day(2007, 0, 1), Day(2006, 12, 1));
    EXPECT_EQ(Day(2006, 12, 31, 24), Day(2007, 1, 1));
    EXPECT_VB_ERROR(Day(10000, 1, 1), ErrInvalidCall);
    EXPECT_VB_ERROR(Day(99, 12, 31), ErrInvalidCall);
    // A time a fraction of a second before midnight reads as the next day.
    EXPECT_EQ(Iso(Date{39082 + 86399.6 / 86400}), "2007-01-01 00:00:00");
    EXPECT_EQ(Date{-1.25}.DatePart(), Day(1899, 12, 29));
    EXPECT_DOUBLE_EQ(Date{-1.25}.TimePart().serial, 0.25);
}

TEST(Date, ArithmeticInDays)
{
    EXPECT_EQ(Day(2007, 1, 1) - 7, Day(2006, 12, 25));
    EXPECT_EQ(Day(2007, 1, 1) + 0.5, Day(2007, 1, 1, 12));
    EXPECT_DOUBLE_EQ(Day(2007, 1, 1) - Day(2006, 12, 31, 12), 0.5);
    // Across 30/12/1899 the serial runs backwards but the arithmetic does not.
    EXPECT_DOUBLE_EQ((Date{-1.25} + 1).serial, 0.25);
    EXPECT_DOUBLE_EQ((Date{0.25} - 1).serial, -1.25);
    EXPECT_DOUBLE_EQ(Date{0.25} - Date{-1.25}, 1);
    EXPECT_VB_ERROR(Day(9999, 12, 31) + 1, ErrOverflow);
    EXPECT_VB_ERROR(Day(100, 1, 1) - 1, ErrOverflow);
}

TEST(Date, IsoTextOfTheDatabase)
{
    EXPECT_EQ(Iso(Day(2006, 12, 31, 8, 5, 9)), "2006-12-31 08:05:09");
    EXPECT_EQ(Iso(Day(2006, 12, 31)), "2006-12-31 00:00:00");
    EXPECT_EQ(Date::FromIsoText("2006-12-31 08:05:09"), Day(2006, 12, 31, 8, 5, 9));
    EXPECT_EQ(Date::FromIsoText("2006-12-31"), Day(2006, 12, 31));
    EXPECT_EQ(Date::FromIsoText("2006-12-31T08:05"), Day(2006, 12, 31, 8, 5));
    for (const char* bad : {"2006-02-30", "2006-13-01", "2006-12-31 24:00:00", "2006-12-31x",
                            "31/12/2006", "06-12-31", "", "2006-12-31 08"}) {
        EXPECT_FALSE(Date::FromIsoText(bad).has_value()) << bad;
    }
}

TEST(DateTime, DateAdd)
{
    struct Case
    {
        const char* interval;
        double number;
        Date from;
        Date expected;
    };
    const Case cases[] = {
        {"m", 1, Day(2007, 1, 31), Day(2007, 2, 28)},
        {"m", 1, Day(2008, 1, 31), Day(2008, 2, 29)},
        {"m", -1, Day(2007, 3, 31), Day(2007, 2, 28)},
        {"m", 13, Day(2006, 12, 15, 10), Day(2008, 1, 15, 10)},
        {"yyyy", 1, Day(2008, 2, 29), Day(2009, 2, 28)},
        {"q", 1, Day(2006, 11, 30), Day(2007, 2, 28)},
        {"d", 1, Day(2006, 12, 31), Day(2007, 1, 1)},
        {"y", -1, Day(2007, 1, 1), Day(2006, 12, 31)},
        {"w", 2, Day(2007, 1, 1), Day(2007, 1, 3)},
        {"ww", 1, Day(2006, 12, 31), Day(2007, 1, 7)},
        {"d", 2.5, Day(2007, 1, 1), Day(2007, 1, 3)}, // rounded half to even
        {"h", 1, Day(2006, 12, 31, 23, 30), Day(2007, 1, 1, 0, 30)},
        {"n", -31, Day(2007, 1, 1, 0, 30), Day(2006, 12, 31, 23, 59)},
        {"s", 90, Day(2007, 1, 1), Day(2007, 1, 1, 0, 1, 30)},
        // Across 30/12/1899, where the serial's day part turns negative.
        {"d", -1, Day(1899, 12, 30, 6), Day(1899, 12, 29, 6)},
        {"h", 20, Day(1899, 12, 29, 6), Day(1899, 12, 30, 2)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Iso(DateAdd(c.interval, c.number, c.from)), Iso(c.expected))
            << c.interval << " " << c.number << " " << Iso(c.from);
    }
    EXPECT_VB_ERROR(DateAdd("x", 1, Day(2006, 1, 1)), ErrInvalidCall);
    EXPECT_VB_ERROR(DateAdd("yyyy", 8000, Day(2006, 1, 1)), ErrInvalidCall);
    EXPECT_VB_ERROR(DateAdd("d", -1, Day(100, 1, 1)), ErrInvalidCall);
    // Counts far past the calendar, or no number at all, are refused before any arithmetic.
    for (const char* interval : {"yyyy", "m", "d", "h", "s"}) {
        for (const double number : {1e300, -1e19, std::nan(""), HUGE_VAL}) {
            SCOPED_TRACE(std::string(interval) + " " + std::to_string(number));
            EXPECT_VB_ERROR(DateAdd(interval, number, Day(2006, 1, 1)), ErrInvalidCall);
        }
    }
}

TEST(DateTime, DateDiffCountsBoundaries)
{
    struct Case
    {
        const char* interval;
        Date a;
        Date b;
        long long expected;
    };
    const Case cases[] = {
        {"d", Day(2006, 12, 31, 23), Day(2007, 1, 1, 1), 1},
        {"d", Day(2007, 1, 10), Day(2007, 1, 1), -9},
        {"y", Day(2008, 1, 1), Day(2009, 1, 1), 366},
        {"m", Day(2007, 1, 31), Day(2007, 2, 1), 1},
        {"m", Day(2007, 3, 1), Day(2006, 12, 31), -3},
        {"yyyy", Day(2006, 12, 31), Day(2007, 1, 1), 1},
        {"q", Day(2006, 12, 31), Day(2007, 4, 1), 2},
        {"ww", Day(2007, 1, 6), Day(2007, 1, 7), 1}, // Saturday to Sunday
        {"ww", Day(2007, 1, 7), Day(2007, 1, 13), 0},
        {"w", Day(2007, 1, 1), Day(2007, 1, 14), 1},
        {"w", Day(2007, 1, 14), Day(2007, 1, 1), -1},
        {"h", Day(2007, 1, 1, 10, 59), Day(2007, 1, 1, 11, 0), 1},
        {"n", Day(2007, 1, 1), Day(2007, 1, 2), 1440},
        {"s", Day(2007, 1, 1, 0, 0, 59), Day(2007, 1, 1, 0, 1, 1), 2},
        {"d", Day(1899, 12, 29, 23), Day(1899, 12, 30, 1), 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DateDiff(c.interval, c.a, c.b), c.expected)
            << c.interval << " " << Iso(c.a) << " " << Iso(c.b);
    }
    EXPECT_EQ(DateDiff("ww", Day(2007, 1, 7), Day(2007, 1, 8), vbMonday), 1);
}

TEST(DateTime, PartsAndWeekdays)
{
    EXPECT_EQ(Weekday(Day(2006, 12, 31)), 1); // Sunday
    EXPECT_EQ(Weekday(Day(2007, 1, 1)), 2);
    EXPECT_EQ(Weekday(Day(2007, 1, 1), vbMonday), 1);
    EXPECT_EQ(Weekday(Day(2006, 12, 31), vbMonday), 7);
    EXPECT_EQ(Weekday(Date{0}), 7); // Saturday 30/12/1899
    EXPECT_EQ(Weekday(Date{-1.5}), 6);
    EXPECT_VB_ERROR(Weekday(Date{0}, 8), ErrInvalidCall);

    const Date d = Day(2008, 8, 15, 13, 45, 30);
    EXPECT_EQ(Year(d), 2008);
    EXPECT_EQ(Month(d), 8);
    EXPECT_EQ(Day(d), 15);
    EXPECT_EQ(Hour(d), 13);
    EXPECT_EQ(Minute(d), 45);
    EXPECT_EQ(Second(d), 30);
    EXPECT_EQ(DatePart("q", d), 3);
    EXPECT_EQ(DatePart("y", Day(2008, 12, 31)), 366);
    EXPECT_EQ(DatePart("ww", Day(2007, 1, 6)), 1);
    EXPECT_EQ(DatePart("ww", Day(2007, 1, 7)), 2);
    EXPECT_EQ(DatePart("w", Day(2007, 1, 7)), 1);
    EXPECT_EQ(DatePart("N", d), 45);

    EXPECT_EQ(DateSerial(7, 1, 1), Day(2007, 1, 1));
    EXPECT_EQ(DateSerial(45, 1, 1), Day(1945, 1, 1));
    EXPECT_EQ(DateSerial(2007, 14, 1), Day(2008, 2, 1));
    EXPECT_EQ(DateSerial(2007, 3, -1), Day(2007, 2, 27));
    EXPECT_VB_ERROR(DateSerial(INT_MAX, INT_MAX, INT_MAX), ErrInvalidCall);
    EXPECT_VB_ERROR(DateSerial(INT_MIN, INT_MIN, INT_MIN), ErrInvalidCall);
    EXPECT_VB_ERROR(DateSerial(2000, 1, INT_MIN), ErrInvalidCall);
    EXPECT_VB_ERROR(Date::FromParts(9999, 12, 31, 24), ErrInvalidCall);
    EXPECT_EQ(Iso(Date::FromParts(9999, 12, 31, 23, 59, 59)), "9999-12-31 23:59:59");
    EXPECT_EQ(Iso(Date::FromParts(100, 1, 1)), "0100-01-01 00:00:00");
    EXPECT_VB_ERROR(Date::FromParts(100, 1, 1, 0, 0, -1), ErrInvalidCall);
    EXPECT_DOUBLE_EQ(TimeSerial(6, 0, 0).serial, 0.25);
    EXPECT_DOUBLE_EQ(TimeSerial(0, 90, 0).serial, 1.5 / 24);

    EXPECT_EQ(MonthName(2), "février");
    EXPECT_EQ(MonthName(8), "août");
    EXPECT_EQ(MonthName(12, true), "déc.");
    EXPECT_EQ(WeekdayName(1), "dimanche");
    EXPECT_VB_ERROR(MonthName(13), ErrInvalidCall);
}

class ProgramClock : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // 15/03/2007 10:20:30.250 UTC.
        setenv("TZ", "Europe/Paris", 1);
        tzset();
        win::Clock::Freeze();
        const auto target =
            std::chrono::system_clock::from_time_t(1173954030) + std::chrono::milliseconds(250);
        win::Clock::Advance(
            std::chrono::duration_cast<std::chrono::milliseconds>(target - win::Clock::Now()));
    }
    void TearDown() override
    {
        win::Clock::Reset();
        unsetenv("TZ");
        tzset();
    }
};

TEST_F(ProgramClock, NowIsTheLocalTimeOfTheClockToTheSecond)
{
    EXPECT_EQ(Iso(Now()), "2007-03-15 11:20:30");
    EXPECT_EQ(Today(), Day(2007, 3, 15));
    EXPECT_EQ(Iso(Time()), "1899-12-30 11:20:30");

    win::Clock::Advance(std::chrono::hours(13));
    EXPECT_EQ(Today(), Day(2007, 3, 16));

    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(Iso(Now()), "2007-03-15 23:20:30");
}

} // namespace
