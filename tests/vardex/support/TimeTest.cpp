#include "vardex/support/stime.h"

#include "AssertRecorder.h"
#include "platform/reslib/Kernel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <locale.h>

namespace {

using namespace std::chrono;

// Day number of 1 January 1970.
constexpr int32_t kUnixEpochDay = 2440587;

SDateTime Utc(int y, int mo, int d, int h, int mi, int s = 0, int ms = 0)
{
    return SDateTime(y, mo, d, h, mi, s, ms, STimeZone::Utc());
}

TEST(SDate, GregorianDaysAgreeWithTheStandardCalendarFrom1583)
{
    for (sys_days day = sys_days(year{1583} / January / 1); day <= sys_days(year{2400} / 1 / 1);
         day += days{1}) {
        const year_month_day ymd(day);
        const SDate date(int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day())));
        const int32_t expected = int32_t(day.time_since_epoch().count()) + kUnixEpochDay;
        ASSERT_EQ(date.GetDayNumber(), expected) << int(ymd.year()) << "-" << unsigned(ymd.month());
        ASSERT_EQ(date.GetYear(), int(ymd.year()));
        ASSERT_EQ(date.GetMonth(), int(unsigned(ymd.month())));
        ASSERT_EQ(date.GetDay(), int(unsigned(ymd.day())));
        ASSERT_EQ(date.GetDayOfWeek(), int(weekday(day).c_encoding()));
    }
}

TEST(SDate, JulianCalendarBeforeTheReform)
{
    AssertRecorder recorder;
    EXPECT_EQ(SDate(1582, 10, 15).GetDayNumber(), 2299160);
    EXPECT_EQ(SDate(1582, 10, 4).GetDayNumber(), 2299159);
    const SDate next = SDate(1582, 10, 4) + STimeSpan(1, 0, 0, 0, 0);
    EXPECT_EQ(next.GetYear() * 10000 + next.GetMonth() * 100 + next.GetDay(), 15821015);
    EXPECT_TRUE(SDate(1500, 2, 29).IsValid()) << "every fourth year before the reform";
    const SDate julian(1000, 3, 1);
    EXPECT_EQ(julian.GetYear() * 10000 + julian.GetMonth() * 100 + julian.GetDay(), 10000301);
    EXPECT_TRUE(recorder.Reports().empty());
}

TEST(SDate, DaysOfMonthAndInvalidDates)
{
    AssertRecorder recorder;
    EXPECT_EQ(SDate(2000, 2, SDate::kLastDayOfMonth).GetDay(), 29);
    EXPECT_EQ(SDate(2000, 1, 1).GetDayOfWeek(), 6);
    EXPECT_TRUE(recorder.Reports().empty());
    EXPECT_FALSE(SDate(1900, 2, 29).IsValid());
    EXPECT_FALSE(SDate(2000, 13, 1).IsValid());
    EXPECT_EQ(recorder.Reports().size(), 2u);
    EXPECT_EQ(SDate().GetYear(), 0);
    EXPECT_EQ(recorder.Reports().back().expression, "IsValid()");
}

TEST(STimeOfDay, PartsAndArithmetic)
{
    AssertRecorder recorder;
    const SDateTime midnight = Utc(2021, 3, 1, 0, 0);
    const SDateTime before = midnight + STimeSpan(-1);
    EXPECT_EQ(before.Format("yyyy'-'MM'-'dd HH':'mm':'ss'.'SSS", STimeZone::Utc()),
              "2021-02-28 23:59:59.999");
    const STimeOfDay noon(12, 0, 0, 0, STimeZone::Utc());
    EXPECT_EQ((noon - STimeSpan(0, 13, 0, 0, 0)).GetHour(STimeZone::Utc()), 23);
    EXPECT_TRUE(recorder.Reports().empty());

    EXPECT_FALSE(STimeOfDay(24, 0, 0, 0, STimeZone::Utc()).IsValid());
    EXPECT_FALSE(STimeOfDay(-1, 0, 0, 0, STimeZone::Utc()).IsValid()) << "negative parts too";
    EXPECT_FALSE(recorder.Reports().empty());
    recorder.Clear();
    EXPECT_EQ(STimeSpan(1, -1, 0, 0, 0).GetTotalMilliseconds(), 82800000)
        << "mixed signs are reported, the value computed";
    EXPECT_EQ(recorder.Reports().size(), 1u);
}

TEST(STimeZone, RuleTexts)
{
    struct Case
    {
        const char* rule;
        SDateTime at;
        int64_t offsetMinutes;
    };
    const Case cases[] = {
        {"UTC,0", Utc(2021, 7, 1, 12, 0), 0},
        {"EST,300,EDT;3,2,0/2:00,11,1,0/2:00", Utc(2021, 1, 15, 12, 0), 300},
        {"EST,300,EDT;3,2,0/2:00,11,1,0/2:00", Utc(2021, 7, 1, 12, 0), 240},
        {"EST,300,EDT;3,2,0/2:00,11,1,0/2:00", Utc(2021, 3, 14, 6, 59), 300},
        {"EST,300,EDT;3,2,0/2:00,11,1,0/2:00", Utc(2021, 3, 14, 7, 1), 240},
        {"EST,300,EDT;3,2,0/2:00,11,1,0/2:00", Utc(2021, 11, 7, 5, 59), 240},
        {"EST,300,EDT;3,2,0/2:00,11,1,0/2:00", Utc(2021, 11, 7, 6, 1), 300},
        // Southern hemisphere: daylight time spans the turn of the year.
        {"AEST,-600,AEDT;10,1,0/2:00,4,1,0/3:00", Utc(2021, 1, 10, 0, 0), -660},
        {"AEST,-600,AEDT;10,1,0/2:00,4,1,0/3:00", Utc(2021, 7, 10, 0, 0), -600},
        {"AEST,-600,AEDT;10,1,0/2:00,4,1,0/3:00", Utc(2021, 12, 31, 0, 0), -660},
        // Without rules: first Sunday of April to the last Sunday of October, one hour.
        {"CET,-60,CEST", Utc(2021, 4, 4, 0, 59), -60},
        {"CET,-60,CEST", Utc(2021, 4, 4, 1, 1), -120},
        {"CET,-60,CEST", Utc(2021, 10, 30, 23, 59), -120}, // 2:00 daylight time is 0:00 UTC
        {"CET,-60,CEST", Utc(2021, 10, 31, 0, 1), -60},
        {"XST,-60,XDT,-30", Utc(2021, 6, 1, 0, 0), -90},
        // A month that begins on a Sunday (August 2021): the first Sunday is the 1st.
        {"A,0,B;8,1,0/0:00,9,1,0/0:00", Utc(2021, 7, 31, 23, 59), 0},
        {"A,0,B;8,1,0/0:00,9,1,0/0:00", Utc(2021, 8, 1, 0, 1), -60},
    };
    for (const Case& c : cases)
        EXPECT_EQ(STimeZone(c.rule).GetOffset(c.at), c.offsetMinutes * 60000)
            << c.rule << " at " << c.at.Format("yyyy-MM-dd HH:mm", STimeZone::Utc()).GetString();
    const STimeZone parsed("EST,300,EDT;3,2,0/2:00,11,1,0/2:00");
    EXPECT_EQ(parsed.GetStandardName(), "EST");
    EXPECT_EQ(parsed.GetDaylightName(), "EDT");
    EXPECT_FALSE(STimeZone("UTC,0").HasDaylight());
}

class SystemZone : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* tz = std::getenv("TZ");
        m_previous = tz ? tz : "";
        m_hadTz = tz != nullptr;
        ::setenv("TZ", "Europe/Paris", 1);
        tzset();
    }
    void TearDown() override
    {
        if (m_hadTz)
            ::setenv("TZ", m_previous.c_str(), 1);
        else
            ::unsetenv("TZ");
        tzset();
    }
    std::string m_previous;
    bool m_hadTz = false;
};

TEST_F(SystemZone, OffsetsAreThoseTheCLibraryKnowsAtEachInstant)
{
    const STimeZone zone("");
    EXPECT_EQ(zone.GetStandardName(), "CET");
    for (const SDateTime& t :
         {Utc(2021, 3, 28, 0, 59), Utc(2021, 3, 28, 1, 1), Utc(1950, 7, 1, 0, 0),
          Utc(1976, 7, 1, 0, 0), Utc(2021, 10, 31, 0, 59), Utc(2021, 10, 31, 1, 1)}) {
        const time_t seconds = time_t(t.ToUnixMilliseconds() / 1000);
        tm local{};
        ASSERT_NE(localtime_r(&seconds, &local), nullptr);
        EXPECT_EQ(zone.GetOffset(t), -int64_t(local.tm_gmtoff) * 1000);
    }
    EXPECT_EQ(zone.GetOffset(Utc(2021, 3, 28, 1, 1)), -120 * 60000);
}

TEST_F(SystemZone, FormatTakesTheOffsetOfTheInstantShown)
{
    const STimeZone zone("");
    EXPECT_EQ(Utc(2021, 1, 15, 12, 0).Format("HH':'mm", zone), "13:00");
    EXPECT_EQ(Utc(2021, 7, 15, 12, 0).Format("HH':'mm", zone), "14:00");
    const SDateTime local(2021, 7, 15, 14, 30, 0, 0, zone);
    EXPECT_EQ(local.Format("yyyy-MM-dd HH:mm", STimeZone::Utc()), "2021-07-15 12:30");
    EXPECT_EQ(local.GetDay(zone), 15);
}

TEST(SDateTime, FormatPictures)
{
    // English names, whatever the user's language.
    const LCID previous = GetThreadLocale();
    SetThreadLocale(0x409);
    const SDateTime t = Utc(2021, 3, 5, 14, 7, 9, 45);
    const STimeZone& utc = STimeZone::Utc();
    struct Case
    {
        const char* picture;
        const char* text;
    };
    const Case cases[] = {
        {"yyyy'-'MM'-'dd", "2021-03-05"},
        {"M'/'d'/'yy'   'H':'mm':'ss'    '", "3/5/21   14:07:09    "},
        {"dddd d MMMM yyy", "Friday 5 March 2021"},
        {"ddd MMM y", "Fri Mar 21"},
        {"h:mm tt", "2:07 PM"},
        {"hh t", "02 P"},
        {"s.S SSS", "9.45 045"},
        {"\"quoted d\" 'open", "quoted d open"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(t.Format(c.picture, utc), c.text) << c.picture;
    EXPECT_EQ(SDateTime(SDate(), t.GetTime()).Format("yyyy|HH", utc), "|14")
        << "date fields of an invalid date are empty";
    SetThreadLocale(previous);
}

} // namespace

namespace {

TEST(SDateTime, ATimeWithoutADateIsShownInTheZone)
{
    const SDateTime noon(SDate(), STimeOfDay(12, 0, 0, 0, STimeZone::Utc()));
    EXPECT_EQ(noon.Format("HH':'mm", STimeZone("CET,-60")), "13:00");
    EXPECT_EQ(noon.Format("HH':'mm", STimeZone("EST,300")), "07:00");
    EXPECT_EQ(noon.Format("yyyy|HH", STimeZone::Utc()), "|12") << "date fields stay empty";
}

TEST(SDateTime, TheEraIsTheDatesOwn)
{
    const LCID previous = GetThreadLocale();
    SetThreadLocale(0x409);
    EXPECT_STREQ(Utc(1990, 6, 1, 0, 0).Format("gg", STimeZone::Utc()).GetString(), "")
        << "a locale without eras gives no text";
    const locale_t japanese = newlocale(LC_ALL_MASK, "ja_JP.UTF-8", locale_t(0));
    if (!japanese) {
        SetThreadLocale(previous);
        GTEST_SKIP() << "no Japanese locale (compile one with localedef into $LOCPATH)";
    }
    freelocale(japanese);
    SetThreadLocale(0x411);
    const STimeZone& utc = STimeZone::Utc();
    EXPECT_EQ(Utc(1930, 6, 1, 0, 0).Format("gg", utc), "昭和");
    EXPECT_EQ(Utc(1990, 6, 1, 0, 0).Format("gg", utc), "平成");
    EXPECT_EQ(Utc(2024, 6, 1, 0, 0).Format("g", utc), "令和");
    EXPECT_EQ(Utc(1800, 6, 1, 0, 0).Format("g", utc), "西暦")
        << "the era the locale gives before Meiji";
    SetThreadLocale(previous);
}

TEST(STimeSpan, DaysBeyond32Bits)
{
    const int64_t days = 3'000'000'000;
    EXPECT_EQ(STimeSpan(days * 86'400'000 + 5).GetDays(), days);
}

TEST(SDate, DayNumbersAtTheLimitsAreRefused)
{
    AssertRecorder recorder;
    EXPECT_TRUE(SDate::FromDayNumber(INT32_MAX).IsValid());
    EXPECT_FALSE(SDate::FromDayNumber(int64_t(INT32_MAX) + 1).IsValid());
    EXPECT_FALSE((SDate::FromDayNumber(INT32_MAX) + STimeSpan(1, 0, 0, 0, 0)).IsValid());
    EXPECT_FALSE(
        SDateTime(SDate::FromDayNumber(INT32_MAX), STimeOfDay(23, 59, 59, 999, STimeZone::Utc()))
            .
            operator+(STimeSpan(1))
            .IsValid());
    EXPECT_EQ(recorder.Reports().size(), 3u);
    // Subtracting the most negative span negates no 64-bit value; the date is out of range.
    EXPECT_FALSE((Utc(2000, 1, 1, 0, 0) - STimeSpan(INT64_MIN)).IsValid());
    EXPECT_EQ((Utc(2000, 1, 1, 0, 0) - STimeSpan(-1)).ToUnixMilliseconds(),
              Utc(2000, 1, 1, 0, 0, 0, 1).ToUnixMilliseconds());
    EXPECT_EQ((Utc(2000, 1, 1, 0, 0) - STimeSpan(INT64_MIN / 1000)).ToUnixMilliseconds(),
              (Utc(2000, 1, 1, 0, 0) + STimeSpan(-(INT64_MIN / 1000))).ToUnixMilliseconds());
}

} // namespace
