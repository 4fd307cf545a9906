// Time: FILETIME (100-nanosecond intervals since 1601-01-01 UTC), SYSTEMTIME fields, the
// host's time zone for local time, the tick count and sleeping.
#include "kernel/MachineState.h"

#include <time.h>

#include <cerrno>
#include <cstdlib>

namespace host::detail {
namespace {

// With TZ unset the C run-time looks at the zone file again at every mktime and localtime (a
// status call each, two for every file a copy compares by date); naming the same file in TZ
// makes it read the zone once. The zone is the same: an unset TZ means that file. A TZ the
// user set is left as it is.
const bool g_zoneNamed = [] {
    if (std::getenv("TZ"))
        return false;
    setenv("TZ", ":/etc/localtime", 0);
    tzset();
    return true;
}();

const int64_t kTicksPerSecond = 10000000;
const int64_t kEpochDifference = 11644473600LL; // seconds from 1601-01-01 to 1970-01-01

int64_t TicksOf(const FILETIME& time) {
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                                time.dwLowDateTime);
}

FILETIME FromTicks(int64_t ticks) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks));
    time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    return time;
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian), and back.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

void CivilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    year = static_cast<int64_t>(yearOfEra) + era * 400;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year += month <= 2;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// The host zone's offset from UTC, in seconds, at a moment given in UTC seconds.
int64_t ZoneOffsetAtUtc(int64_t utcSeconds) {
    time_t moment = static_cast<time_t>(utcSeconds);
    struct tm fields;
    if (!localtime_r(&moment, &fields))
        return 0;
    return fields.tm_gmtoff;
}

} // namespace

FILETIME FileTimeFromHost(const timespec& time) {
    return FromTicks((static_cast<int64_t>(time.tv_sec) + kEpochDifference) * kTicksPerSecond +
                     time.tv_nsec / 100);
}

timespec HostFromFileTime(const FILETIME& time) {
    int64_t ticks = TicksOf(time);
    timespec result;
    result.tv_sec = static_cast<time_t>(ticks / kTicksPerSecond - kEpochDifference);
    result.tv_nsec = static_cast<long>(ticks % kTicksPerSecond) * 100;
    return result;
}

} // namespace host::detail

using namespace host::detail;

BOOL WINAPI FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime) {
    if (!fileTime || !systemTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t ticks = TicksOf(*fileTime);
    if (ticks < 0) { // beyond what a FILETIME may hold
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t seconds = ticks / kTicksPerSecond;
    int64_t days = seconds / 86400 - kEpochDifference / 86400;
    int64_t secondOfDay = seconds % 86400;
    int64_t year;
    unsigned month, day;
    CivilFromDays(days, year, month, day);
    if (year > 30827) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    systemTime->wYear = static_cast<WORD>(year);
    systemTime->wMonth = static_cast<WORD>(month);
    systemTime->wDay = static_cast<WORD>(day);
    // 1601-01-01 was a Monday.
    systemTime->wDayOfWeek = static_cast<WORD>((seconds / 86400 + 1) % 7);
    systemTime->wHour = static_cast<WORD>(secondOfDay / 3600);
    systemTime->wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
    systemTime->wSecond = static_cast<WORD>(secondOfDay % 60);
    systemTime->wMilliseconds = static_cast<WORD>(ticks % kTicksPerSecond / 10000);
    return TRUE;
}

BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime) {
    if (!systemTime || !fileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    static const int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const SYSTEMTIME& t = *systemTime;
    bool valid = t.wYear >= 1601 && t.wYear <= 30827 && t.wMonth >= 1 && t.wMonth <= 12 &&
                 t.wDay >= 1 && t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 &&
                 t.wMilliseconds < 1000;
    if (valid) {
        int days = kDaysInMonth[t.wMonth - 1] + (t.wMonth == 2 && IsLeapYear(t.wYear) ? 1 : 0);
        valid = t.wDay <= days;
    }
    if (!valid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t days = DaysFromCivil(t.wYear, t.wMonth, t.wDay) + kEpochDifference / 86400;
    int64_t seconds = days * 86400 + t.wHour * 3600 + t.wMinute * 60 + t.wSecond;
    *fileTime = FromTicks(seconds * kTicksPerSecond + t.wMilliseconds * 10000LL);
    return TRUE;
}

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localTime) {
    if (!fileTime || !localTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t ticks = TicksOf(*fileTime);
    int64_t offset = ZoneOffsetAtUtc(ticks / kTicksPerSecond - kEpochDifference);
    *localTime = FromTicks(ticks + offset * kTicksPerSecond);
    return TRUE;
}

BOOL WINAPI LocalFileTimeToFileTime(const FILETIME* localTime, LPFILETIME fileTime) {
    if (!localTime || !fileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t ticks = TicksOf(*localTime);
    int64_t localSeconds = ticks / kTicksPerSecond - kEpochDifference;
    // The offset at the local moment taken as UTC, corrected once: right except in the hour a
    // clock change repeats or skips.
    int64_t offset = ZoneOffsetAtUtc(localSeconds);
    offset = ZoneOffsetAtUtc(localSeconds - offset);
    *fileTime = FromTicks(ticks - offset * kTicksPerSecond);
    return TRUE;
}

void WINAPI GetSystemTimeAsFileTime(LPFILETIME time) {
    if (!time)
        return;
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    *time = FileTimeFromHost(now);
}

void WINAPI GetSystemTime(LPSYSTEMTIME time) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    FileTimeToSystemTime(&now, time);
}

void WINAPI GetLocalTime(LPSYSTEMTIME time) {
    FILETIME now, local;
    GetSystemTimeAsFileTime(&now);
    FileTimeToLocalFileTime(&now, &local);
    FileTimeToSystemTime(&local, time);
}

DWORD WINAPI GetTickCount() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(static_cast<uint64_t>(now.tv_sec) * 1000 +
                              static_cast<uint64_t>(now.tv_nsec) / 1000000);
}

void WINAPI Sleep(DWORD milliseconds) {
    timespec wait;
    wait.tv_sec = static_cast<time_t>(milliseconds / 1000);
    wait.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000;
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}
