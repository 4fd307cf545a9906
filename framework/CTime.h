// A point in time as a count of seconds, read and formatted in local time.
#pragma once

#include "CString.h"

#include <ctime>

class CTime {
public:
    CTime() = default;
    explicit CTime(time_t seconds) : m_time(seconds) {}
    // Local wall-clock fields, as a SYSTEMTIME in local time holds them.
    explicit CTime(const SYSTEMTIME& local);

    time_t GetTime() const { return m_time; }
    // strftime on the local time; empty when the result does not fit in 128 characters.
    CString Format(LPCSTR format) const;

    bool operator<(const CTime& other) const { return m_time < other.m_time; }
    bool operator>(const CTime& other) const { return m_time > other.m_time; }
    bool operator==(const CTime& other) const { return m_time == other.m_time; }

private:
    time_t m_time = 0;
};
