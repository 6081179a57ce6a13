#pragma once
// Calendar and clock types: a signed span of milliseconds, a day number (Julian calendar up to
// 4 October 1582, Gregorian from 15 October 1582), a time of day kept in UTC, their
// combination, and time zones given by the system settings or by a rule text. Operations on
// invalid values are assertion reports and go on with the invalid value.

#include "platform/reslib/Kernel.h"
#include "vardex/support/sstring.h"

#include <cstdint>

class STimeSpan
{
public:
    explicit STimeSpan(int64_t milliseconds = 0) : m_milliseconds(milliseconds) {}
    // All parts must have one sign (reported otherwise; the value is computed all the same).
    STimeSpan(int32_t days, int32_t hours, int32_t minutes, int32_t seconds, int32_t milliseconds);

    int64_t GetTotalMilliseconds() const { return m_milliseconds; }
    // The whole days, truncated toward zero.
    int64_t GetDays() const { return m_milliseconds / 86400000; }

private:
    int64_t m_milliseconds;
};

class SDate
{
public:
    static constexpr int32_t kInvalid = INT32_MIN;
    // The last day of the month, as a day argument.
    static constexpr int32_t kLastDayOfMonth = 100;

    SDate() = default;
    SDate(int32_t year, int32_t month, int32_t day);
    // A number outside the 32-bit day numbers (or the invalid one) is reported; the invalid date.
    static SDate FromDayNumber(int64_t dayNumber);

    bool IsValid() const { return m_day != kInvalid; }
    // The Julian day number less one (15 October 1582 is 2299160).
    int32_t GetDayNumber() const { return m_day; }
    int32_t GetYear() const;
    int32_t GetMonth() const;
    int32_t GetDay() const;
    // 0 = Sunday.
    int32_t GetDayOfWeek() const;

    SDate operator+(const STimeSpan& span) const;
    SDate operator-(const STimeSpan& span) const;
    bool operator==(const SDate& other) const { return m_day == other.m_day; }

    static bool IsLeapYear(int32_t year);
    static int32_t DaysInMonth(int32_t year, int32_t month);

private:
    void Parts(int32_t& year, int32_t& month, int32_t& day) const;
    // Reports an invalid date.
    bool CheckValid() const;

    int32_t m_day = kInvalid;
};

class STimeZone;

class STimeOfDay
{
public:
    static constexpr int32_t kInvalid = INT32_MIN;
    static constexpr int32_t kDay = 86400000;

    STimeOfDay() = default;
    // A local time of the zone, stored in UTC with the zone's offset of now.
    STimeOfDay(int32_t hour, int32_t minute, int32_t second, int32_t millisecond,
               const STimeZone& zone);
    static STimeOfDay FromMilliseconds(int32_t utcMilliseconds);

    bool IsValid() const { return m_milliseconds != kInvalid; }
    int32_t GetMilliseconds() const { return m_milliseconds; } // since midnight UTC
    // In the zone, with its offset of now.
    int32_t GetHour(const STimeZone& zone) const;
    int32_t GetMinute(const STimeZone& zone) const;
    int32_t GetSecond() const;
    int32_t GetMillisecond() const;

    STimeOfDay operator+(const STimeSpan& span) const;
    STimeOfDay operator-(const STimeSpan& span) const;

private:
    int32_t Local(const STimeZone& zone) const;
    bool CheckValid() const;

    int32_t m_milliseconds = kInvalid;
};

class SDateTime
{
public:
    SDateTime() = default;
    SDateTime(const SDate& date, const STimeOfDay& time) : m_date(date), m_time(time) {}
    // A local date-time of the zone; the zone's offset in force then makes it UTC.
    SDateTime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
              int32_t second, int32_t millisecond, const STimeZone& zone);
    // The same from a record's fields; no record gives the invalid date-time.
    SDateTime(const SYSTEMTIME* record, const STimeZone& zone);
    // The current UTC time.
    static SDateTime Now();

    bool IsValid() const { return m_date.IsValid() && m_time.IsValid(); }
    const SDate& GetDate() const { return m_date; }
    const STimeOfDay& GetTime() const { return m_time; }
    // Milliseconds since 1 January 1970 UTC.
    int64_t ToUnixMilliseconds() const;
    static SDateTime FromUnixMilliseconds(int64_t milliseconds);

    SDateTime operator+(const STimeSpan& span) const;
    SDateTime operator-(const STimeSpan& span) const;
    bool operator<(const SDateTime& other) const;
    bool operator>(const SDateTime& other) const { return other < *this; }

    // Date parts in the zone, with its offset in force at this date-time.
    int32_t GetDay(const STimeZone& zone) const;
    int32_t GetDayOfWeek(const STimeZone& zone) const;
    int32_t GetMonth(const STimeZone& zone) const;
    int32_t GetYear(const STimeZone& zone) const;

    // The date-time in the zone by a picture (d, M, y, g, h, H, m, s, S, t; quoted text kept),
    // names in the thread's locale.
    SString Format(const char* picture, const STimeZone& zone) const;

private:
    // This date-time moved into the zone's local time.
    SDateTime Local(const STimeZone& zone) const;
    // Moved by whole days and by milliseconds of less than a day (either sign).
    SDateTime Shifted(int64_t days, int64_t milliseconds) const;

    SDate m_date;
    STimeOfDay m_time;
};

class STimeZone
{
public:
    // A day of the year on which the clocks change: the n-th (5: last) weekday of a month.
    struct Rule
    {
        int32_t month = 0;
        int32_t week = 0;
        int32_t dayOfWeek = 0; // 0 = Sunday
        int32_t hour = 0;
        int32_t minute = 0;
    };

    // The empty text gives the system zone; any other is read as a rule text:
    // "std,bias[,dst[,delta][;m,w,d[/h:mm],m,w,d[/h:mm]]]" (bias in minutes, UTC = local +
    // bias; without rules daylight runs from the first Sunday of April to the last of October).
    explicit STimeZone(const char* text);

    // The zone's offset (UTC - local) in force at a UTC instant, in milliseconds.
    int64_t GetOffset(const SDateTime& utc) const;
    int64_t GetOffsetNow() const { return GetOffset(SDateTime::Now()); }
    bool IsDaylightTime(const SDateTime& utc) const;

    const SString& GetStandardName() const { return m_standardName; }
    const SString& GetDaylightName() const { return m_daylightName; }
    bool HasDaylight() const { return m_hasDaylight; }

    // The process's system zone and UTC ("UTC,0").
    static const STimeZone& System();
    static const STimeZone& Utc();

private:
    SString m_standardName;
    int32_t m_standardBias = 0;
    SString m_daylightName;
    int32_t m_daylightBias = 0;
    bool m_hasDaylight = false;
    Rule m_daylightStart;
    Rule m_standardStart;
    bool m_isSystem = false; // offsets and names from the C library's local time
};
