#include "framework/Time.h"

CTime::CTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    m_time = std::mktime(&tm);
}

CTime CTime::GetCurrentTime() { return CTime(std::time(nullptr)); }

std::tm CTime::Local() const {
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &m_time);
#else
    localtime_r(&m_time, &tm);
#endif
    return tm;
}

CString CTime::Format(const char* pattern) const {
    std::tm tm = Local();
    char buffer[128];
    size_t n = std::strftime(buffer, sizeof buffer, pattern, &tm);
    return CString(buffer, static_cast<int>(n));
}
