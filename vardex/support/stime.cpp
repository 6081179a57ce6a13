#include "vardex/support/stime.h"

#include "vardex/support/sassert.h"

#include <cmath>
#include <cstring>
#include <ctime>
#include <langinfo.h>

namespace {

constexpr int64_t kMillisecondsPerDay = STimeOfDay::kDay;
// Day number of 1 January 1970, the epoch of the C library's clock.
constexpr int32_t kUnixEpochDay = 2440587;

int32_t Whole(double value)
{
    return int32_t(std::floor(value));
}

void ReportInvalid()
{
    LogAssert(__FILE__, SASSERT_STR(__LINE__), "IsValid()", "");
}

// Milliseconds brought into one day.
int32_t IntoDay(int64_t milliseconds)
{
    int64_t r = milliseconds % kMillisecondsPerDay;
    return int32_t(r < 0 ? r + kMillisecondsPerDay : r);
}

} // namespace

// ----- STimeSpan -----

STimeSpan::STimeSpan(int32_t nDays, int32_t nHours, int32_t nMinutes, int32_t nSeconds,
                     int32_t nMilliseconds)
{
    // clang-format off
    SASSERT(((nDays >= 0) && (nHours >= 0) && (nMinutes >= 0) && (nSeconds >= 0) && (nMilliseconds >= 0)) || ((nDays <= 0) && (nHours <= 0) && (nMinutes <= 0) && (nSeconds <= 0) && (nMilliseconds <= 0)));
    // clang-format on
    m_milliseconds =
        (((int64_t(nDays) * 24 + nHours) * 60 + nMinutes) * 60 + nSeconds) * 1000 + nMilliseconds;
}

// ----- SDate -----

bool SDate::IsLeapYear(int32_t year)
{
    if (year % 4 != 0)
        return false;
    return year < 1582 || year % 100 != 0 || year % 400 == 0;
}

int32_t SDate::DaysInMonth(int32_t year, int32_t month)
{
    static const int32_t days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

SDate::SDate(int32_t year, int32_t nMonth, int32_t nDay)
{
    // clang-format off
    SASSERT((nMonth > 0) && (nMonth < 13));
    // clang-format on
    if (nMonth < 1 || nMonth > 12)
        return;
    const int32_t cDaysInMonth = DaysInMonth(year, nMonth);
    const int32_t lastDayOfMonth = kLastDayOfMonth;
    // clang-format off
    SASSERT(((nDay > 0) && (nDay <= cDaysInMonth)) || nDay==lastDayOfMonth);
    // clang-format on
    if (nDay == lastDayOfMonth)
        nDay = cDaysInMonth;
    else if (nDay < 1 || nDay > cDaysInMonth)
        return;
    int64_t y = year, m = nMonth;
    if (m < 3) {
        y -= 1;
        m += 12;
    }
    int64_t b = 0;
    if (m * 100 + y * 10000 + nDay >= 15821015) {
        const int64_t a = y / 100;
        b = 2 - a + a / 4;
    }
    const int64_t number = b + nDay + int64_t(std::floor(365.25 * double(y))) +
                           int64_t(std::floor(30.6001 * double(m + 1))) + 1720994;
    if (number > INT32_MIN && number <= INT32_MAX)
        m_day = int32_t(number);
}

SDate SDate::FromDayNumber(int64_t dayNumber)
{
    SDate date;
    SASSERT_INFO((dayNumber > INT32_MIN) && (dayNumber <= INT32_MAX), "Day number out of range");
    if (dayNumber > INT32_MIN && dayNumber <= INT32_MAX)
        date.m_day = int32_t(dayNumber);
    return date;
}

void SDate::Parts(int32_t& year, int32_t& month, int32_t& day) const
{
    const int64_t n = m_day;
    int64_t j = n + 1;
    if (n >= 2299160) {
        const int64_t alpha = Whole((double(j) - 1867216.25) / 36524.25);
        j = j + 1 + alpha - alpha / 4;
    }
    j += j > 1721423 ? 1524 : 1158;
    const int64_t c = Whole((double(j) - 122.1) / 365.25);
    const int64_t e = int64_t(std::floor(365.25 * double(c)));
    const int64_t f = Whole(double(j - e) / 30.6001);
    day = int32_t(j - e - int64_t(std::floor(30.6001 * double(f))));
    month = int32_t(f < 14 ? f - 1 : f - 13);
    year = int32_t(month > 2 ? c - 4716 : c - 4715);
}

bool SDate::CheckValid() const
{
    if (!IsValid())
        ReportInvalid();
    return IsValid();
}

int32_t SDate::GetYear() const
{
    int32_t y = 0, m = 0, d = 0;
    if (CheckValid())
        Parts(y, m, d);
    return y;
}

int32_t SDate::GetMonth() const
{
    int32_t y = 0, m = 0, d = 0;
    if (CheckValid())
        Parts(y, m, d);
    return m;
}

int32_t SDate::GetDay() const
{
    int32_t y = 0, m = 0, d = 0;
    if (CheckValid())
        Parts(y, m, d);
    return d;
}

int32_t SDate::GetDayOfWeek() const
{
    if (!CheckValid())
        return 0;
    const int64_t r = (int64_t(m_day) + 2) % 7;
    return int32_t(r < 0 ? r + 7 : r);
}

SDate SDate::operator+(const STimeSpan& span) const
{
    return CheckValid() ? FromDayNumber(int64_t(m_day) + span.GetDays()) : *this;
}

SDate SDate::operator-(const STimeSpan& span) const
{
    return CheckValid() ? FromDayNumber(int64_t(m_day) - span.GetDays()) : *this;
}

// ----- STimeOfDay -----

STimeOfDay::STimeOfDay(int32_t hour, int32_t minute, int32_t second, int32_t millisecond,
                       const STimeZone& zone)
{
    // Negative parts are refused as too large ones are.
    // clang-format off
    SASSERT((hour < 24) && (minute < 60) && (second < 60) && (millisecond < 1000));
    SASSERT_INFO((hour >= 0) && (minute >= 0) && (second >= 0) && (millisecond >= 0), "Negative time parts");
    // clang-format on
    if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60 ||
        millisecond < 0 || millisecond >= 1000)
        return;
    const int64_t local = ((int64_t(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
    m_milliseconds = IntoDay(local + zone.GetOffsetNow());
}

STimeOfDay STimeOfDay::FromMilliseconds(int32_t utcMilliseconds)
{
    STimeOfDay time;
    time.m_milliseconds = IntoDay(utcMilliseconds);
    return time;
}

int32_t STimeOfDay::Local(const STimeZone& zone) const
{
    return IntoDay(int64_t(m_milliseconds) - zone.GetOffsetNow());
}

bool STimeOfDay::CheckValid() const
{
    if (!IsValid())
        ReportInvalid();
    return IsValid();
}

int32_t STimeOfDay::GetHour(const STimeZone& zone) const
{
    return CheckValid() ? Local(zone) / 3600000 : 0;
}

int32_t STimeOfDay::GetMinute(const STimeZone& zone) const
{
    return CheckValid() ? Local(zone) / 60000 % 60 : 0;
}

int32_t STimeOfDay::GetSecond() const
{
    return CheckValid() ? m_milliseconds / 1000 % 60 : 0;
}

int32_t STimeOfDay::GetMillisecond() const
{
    return CheckValid() ? m_milliseconds % 1000 : 0;
}

STimeOfDay STimeOfDay::operator+(const STimeSpan& span) const
{
    if (!CheckValid())
        return *this;
    return FromMilliseconds(IntoDay(int64_t(m_milliseconds) + span.GetTotalMilliseconds() % kDay));
}

STimeOfDay STimeOfDay::operator-(const STimeSpan& span) const
{
    // The remainder is negated, never the span: -INT64_MIN does not exist.
    return *this + STimeSpan(-(span.GetTotalMilliseconds() % kDay));
}

// ----- SDateTime -----

SDateTime::SDateTime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                     int32_t second, int32_t millisecond, const STimeZone& zone)
    : m_date(year, month, day), m_time(hour, minute, second, millisecond, STimeZone::Utc())
{
    if (!IsValid())
        return;
    // The local fields read as UTC, then moved by the offset in force at that instant (asked
    // twice, so that an instant next to a change of offset gets the offset after the move).
    const SDateTime asUtc = *this;
    const int64_t first = zone.GetOffset(asUtc);
    *this = asUtc + STimeSpan(zone.GetOffset(asUtc + STimeSpan(first)));
}

SDateTime::SDateTime(const SYSTEMTIME* record, const STimeZone& zone)
{
    if (record)
        *this = SDateTime(record->wYear, record->wMonth, record->wDay, record->wHour,
                          record->wMinute, record->wSecond, record->wMilliseconds, zone);
}

SDateTime SDateTime::Now()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return FromUnixMilliseconds(int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000);
}

int64_t SDateTime::ToUnixMilliseconds() const
{
    return (int64_t(m_date.GetDayNumber()) - kUnixEpochDay) * kMillisecondsPerDay +
           m_time.GetMilliseconds();
}

SDateTime SDateTime::FromUnixMilliseconds(int64_t milliseconds)
{
    int64_t days = milliseconds / kMillisecondsPerDay;
    int64_t rest = milliseconds % kMillisecondsPerDay;
    if (rest < 0) {
        rest += kMillisecondsPerDay;
        --days;
    }
    return SDateTime(SDate::FromDayNumber(days + kUnixEpochDay),
                     STimeOfDay::FromMilliseconds(int32_t(rest)));
}

SDateTime SDateTime::Shifted(int64_t days, int64_t milliseconds) const
{
    if (!IsValid()) {
        ReportInvalid();
        return *this;
    }
    SDate date = SDate::FromDayNumber(int64_t(m_date.GetDayNumber()) + days);
    int64_t time = int64_t(m_time.GetMilliseconds()) + milliseconds;
    if (time > kMillisecondsPerDay - 1) {
        time -= kMillisecondsPerDay;
        date = SDate::FromDayNumber(int64_t(date.GetDayNumber()) + 1);
    } else if (time < 0) {
        time += kMillisecondsPerDay;
        date = SDate::FromDayNumber(int64_t(date.GetDayNumber()) - 1);
    }
    return SDateTime(date, STimeOfDay::FromMilliseconds(int32_t(time)));
}

SDateTime SDateTime::operator+(const STimeSpan& span) const
{
    return Shifted(span.GetDays(), span.GetTotalMilliseconds() % kMillisecondsPerDay);
}

SDateTime SDateTime::operator-(const STimeSpan& span) const
{
    // Whole days and the rest are negated apart: the span itself may be INT64_MIN.
    return Shifted(-span.GetDays(), -(span.GetTotalMilliseconds() % kMillisecondsPerDay));
}

bool SDateTime::operator<(const SDateTime& other) const
{
    if (!IsValid() || !other.IsValid())
        ReportInvalid();
    if (m_date.GetDayNumber() != other.m_date.GetDayNumber())
        return m_date.GetDayNumber() < other.m_date.GetDayNumber();
    return m_time.GetMilliseconds() < other.m_time.GetMilliseconds();
}

SDateTime SDateTime::Local(const STimeZone& zone) const
{
    return *this - STimeSpan(zone.GetOffset(*this));
}

int32_t SDateTime::GetDay(const STimeZone& zone) const
{
    return IsValid() ? Local(zone).m_date.GetDay() : (ReportInvalid(), 0);
}

int32_t SDateTime::GetDayOfWeek(const STimeZone& zone) const
{
    return IsValid() ? Local(zone).m_date.GetDayOfWeek() : (ReportInvalid(), 0);
}

int32_t SDateTime::GetMonth(const STimeZone& zone) const
{
    return IsValid() ? Local(zone).m_date.GetMonth() : (ReportInvalid(), 0);
}

int32_t SDateTime::GetYear(const STimeZone& zone) const
{
    return IsValid() ? Local(zone).m_date.GetYear() : (ReportInvalid(), 0);
}

namespace {

locale_t ThreadFormattingLocale()
{
    return LocaleOfLcid(GetThreadLocale());
}

SString Number(const char* format, int32_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, format, value);
    return SString(text);
}

SString DayName(int32_t dayOfWeek, bool full)
{
    if (dayOfWeek < 0 || dayOfWeek > 6)
        return SString();
    return nl_langinfo_l((full ? DAY_1 : ABDAY_1) + dayOfWeek, ThreadFormattingLocale());
}

SString MonthName(int32_t month, bool full)
{
    if (month < 1 || month > 12)
        return SString();
    return nl_langinfo_l((full ? MON_1 : ABMON_1) + month - 1, ThreadFormattingLocale());
}

// The name of the era of a date in the thread's locale; empty for locales without eras and for
// dates before their first era (the C library then gives the century).
SString EraName(int32_t year, int32_t month, int32_t day)
{
    const locale_t locale = ThreadFormattingLocale();
    const char* eras = nl_langinfo_l(ERA, locale);
    if (!eras || !*eras)
        return SString();
    tm date{};
    date.tm_year = year - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = day;
    char era[64] = "", century[64] = "";
    strftime_l(era, sizeof era, "%EC", &date, locale);
    strftime_l(century, sizeof century, "%C", &date, locale);
    return std::strcmp(era, century) == 0 ? SString() : SString(era);
}

SString Designator(bool afternoon, bool full)
{
    SString text = nl_langinfo_l(afternoon ? PM_STR : AM_STR, ThreadFormattingLocale());
    return full ? text : text.Left(1);
}

} // namespace

SString SDateTime::Format(const char* picture, const STimeZone& zone) const
{
    SString result;
    // Date and time fields in the zone's local time, with the offset in force at this instant.
    const bool dateValid = m_date.IsValid();
    const bool timeValid = m_time.IsValid();
    const SDateTime local = IsValid() ? Local(zone) : *this;
    int32_t year = 0, month = 0, day = 0, dayOfWeek = -1;
    if (dateValid && local.m_date.IsValid()) {
        year = local.m_date.GetYear();
        month = local.m_date.GetMonth();
        day = local.m_date.GetDay();
        dayOfWeek = local.m_date.GetDayOfWeek();
    }
    // A time without a date takes the zone's offset in force now.
    const int32_t ms = !timeValid ? 0
                       : dateValid
                           ? local.m_time.GetMilliseconds()
                           : m_time.GetHour(zone) * 3600000 + m_time.GetMinute(zone) * 60000 +
                                 m_time.GetMilliseconds() % 60000;
    const int32_t hour = ms / 3600000, minute = ms / 60000 % 60, second = ms / 1000 % 60;
    const int32_t milli = ms % 1000;

    for (const char* p = picture ? picture : ""; *p;) {
        const char letter = *p;
        if (letter == '\'' || letter == '"') {
            const char* close = std::strchr(p + 1, letter);
            result.Append(p + 1, int32_t(close ? close - p - 1 : int32_t(std::strlen(p + 1))));
            p = close ? close + 1 : p + std::strlen(p);
            continue;
        }
        if (!std::strchr("dMyghHmsSt", letter)) {
            const char* next = SMbcs::NextChar(p);
            result.Append(p, int32_t(next - p));
            p = next;
            continue;
        }
        int count = 0;
        while (*p == letter) {
            ++count;
            ++p;
        }
        const bool isDate = std::strchr("dMyg", letter) != nullptr;
        if ((isDate && !dateValid) || (!isDate && letter != 's' && letter != 'S' && !timeValid) ||
            ((letter == 's' || letter == 'S') && !timeValid))
            continue;
        switch (letter) {
        case 'd':
            result += count == 1   ? Number("%d", day)
                      : count == 2 ? Number("%.2d", day)
                                   : DayName(dayOfWeek, count > 3);
            break;
        case 'M':
            result += count == 1   ? Number("%d", month)
                      : count == 2 ? Number("%.2d", month)
                                   : MonthName(month, count > 3);
            break;
        case 'y':
            result += count == 1   ? Number("%d", year % 100)
                      : count == 2 ? Number("%.2d", year % 100)
                                   : Number("%d", year);
            break;
        case 'g':
            result += EraName(year, month, day);
            break;
        case 'h': {
            const int32_t h12 = hour % 12 == 0 ? 12 : hour % 12;
            result += Number(count == 1 ? "%d" : "%.2d", h12);
            break;
        }
        case 'H':
            result += Number(count == 1 ? "%d" : "%.2d", hour);
            break;
        case 'm':
            result += Number(count == 1 ? "%d" : "%.2d", minute);
            break;
        case 's':
            result += Number(count == 1 ? "%d" : "%.2d", second);
            break;
        case 'S':
            result += Number(count == 1 ? "%d" : "%.3d", milli);
            break;
        case 't':
            result += Designator(hour >= 12, count > 1);
            break;
        }
    }
    return result;
}

// ----- STimeZone -----

namespace {

// A number of a rule text: the digits (a "-" among them makes it negative) up to the first
// other character.
int32_t ReadNumber(const char*& p)
{
    bool negative = false;
    int64_t value = 0;
    while ((*p >= '0' && *p <= '9') || *p == '-') {
        if (*p == '-')
            negative = true;
        else if (value < 100000000)
            value = value * 10 + (*p - '0');
        ++p;
    }
    return int32_t(negative ? -value : value);
}

// Skips one separator character.
void Skip(const char*& p)
{
    if (*p)
        ++p;
}

STimeZone::Rule ReadRule(const char*& p)
{
    STimeZone::Rule rule;
    Skip(p);
    rule.month = ReadNumber(p);
    Skip(p);
    rule.week = ReadNumber(p);
    Skip(p);
    rule.dayOfWeek = ReadNumber(p);
    rule.hour = 2;
    rule.minute = 0;
    if (*p == '/') {
        Skip(p);
        rule.hour = ReadNumber(p);
        Skip(p);
        rule.minute = ReadNumber(p);
    }
    return rule;
}

// The UTC instant at which a rule falls in a year, its local time turned to UTC with a bias.
SDateTime RuleInstant(const STimeZone::Rule& rule, int32_t year, int32_t biasMinutes)
{
    if (rule.month < 1 || rule.month > 12)
        return SDateTime();
    const SDate first(year, rule.month, 1);
    const int32_t shift = ((rule.dayOfWeek - first.GetDayOfWeek()) % 7 + 7) % 7;
    int32_t day = 1 + shift + 7 * (std::max(rule.week, 1) - 1);
    while (day > SDate::DaysInMonth(year, rule.month))
        day -= 7; // the n-th occurrence past the month's end falls back a week
    const SDate date = SDate::FromDayNumber(first.GetDayNumber() + day - 1);
    const int64_t local = (int64_t(rule.hour) * 60 + rule.minute) * 60000;
    return SDateTime(date, STimeOfDay::FromMilliseconds(0)) +
           STimeSpan(local + int64_t(biasMinutes) * 60000);
}

} // namespace

STimeZone::STimeZone(const char* text)
{
    if (SString(text) == SString()) {
        // The system zone: the C library's local time gives offsets and names at each instant.
        m_isSystem = true;
        tzset();
        m_standardName = tzname[0];
        m_daylightName = tzname[1];
        m_hasDaylight = daylight != 0;
        return;
    }
    const char* p = text;
    const char* comma = std::strchr(p, ',');
    m_standardName = comma ? SString(p, comma) : SString(p);
    p = comma ? comma + 1 : p + std::strlen(p);
    m_standardBias = ReadNumber(p);
    if (!*p)
        return;
    Skip(p);
    const char* nameEnd = p + std::strcspn(p, ",;");
    m_daylightName = SString(p, nameEnd);
    p = nameEnd;
    m_hasDaylight = true;
    m_daylightBias = m_standardBias - 60;
    if (*p == ',') {
        Skip(p);
        if ((*p >= '0' && *p <= '9') || *p == '-')
            m_daylightBias = m_standardBias + ReadNumber(p);
    }
    if (*p == ';') {
        m_daylightStart = ReadRule(p);
        m_standardStart = ReadRule(p);
    } else {
        m_daylightStart = {4, 1, 0, 2, 0};
        m_standardStart = {10, 5, 0, 2, 0};
    }
}

bool STimeZone::IsDaylightTime(const SDateTime& t) const
{
    if (m_isSystem) {
        const time_t seconds = time_t(t.ToUnixMilliseconds() / 1000);
        tm local{};
        return localtime_r(&seconds, &local) && local.tm_isdst > 0;
    }
    if (!m_hasDaylight || !t.IsValid())
        return false;
    const int32_t year = t.GetDate().GetYear();
    const SDateTime daylightStart = RuleInstant(m_daylightStart, year, m_standardBias);
    const SDateTime standardStart = RuleInstant(m_standardStart, year, m_daylightBias);
    if (!daylightStart.IsValid() || !standardStart.IsValid())
        return false;
    if (!(standardStart < daylightStart)) // northern hemisphere
        return daylightStart < t && t < standardStart;
    return !(t > standardStart) || !(t < daylightStart);
}

int64_t STimeZone::GetOffset(const SDateTime& t) const
{
    if (m_isSystem) {
        // The C library knows the zone's history: the offset in force at that instant.
        const time_t seconds = time_t(std::floor(double(t.ToUnixMilliseconds()) / 1000));
        tm local{};
        if (!t.IsValid() || !localtime_r(&seconds, &local))
            return 0;
        return -int64_t(local.tm_gmtoff) * 1000;
    }
    if (m_standardBias == 0 && !m_hasDaylight)
        return 0;
    return int64_t(IsDaylightTime(t) ? m_daylightBias : m_standardBias) * 60000;
}

const STimeZone& STimeZone::System()
{
    static const STimeZone zone("");
    return zone;
}

const STimeZone& STimeZone::Utc()
{
    static const STimeZone zone("UTC,0");
    return zone;
}
