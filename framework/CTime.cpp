#include "CTime.h"

CTime::CTime(const SYSTEMTIME& local) {
    struct tm fields = {};
    fields.tm_year = local.wYear - 1900;
    fields.tm_mon = local.wMonth - 1;
    fields.tm_mday = local.wDay;
    fields.tm_hour = local.wHour;
    fields.tm_min = local.wMinute;
    fields.tm_sec = local.wSecond;
    fields.tm_isdst = -1;
    m_time = mktime(&fields);
}

CString CTime::Format(LPCSTR format) const {
    // The program has one thread, so the run-time's shared result of localtime will do.
    const struct tm* fields = localtime(&m_time);
    if (!fields)
        return CString();
    char buffer[128];
    size_t length = strftime(buffer, sizeof buffer, format, fields);
    return CString(buffer, static_cast<int>(length));
}
