// CTime and COleDateTime: a local wall-clock reading, formatted with
// strftime patterns ("%Y-%m-%d", "%H:%M"). Portable.
#pragma once
#include <ctime>
#ifdef GetCurrentTime
#undef GetCurrentTime
#endif
#include "framework/CString.h"

class CTime {
public:
    CTime() = default;
    explicit CTime(std::time_t t) : m_time(t) {}
    // year, month 1-12, day 1-31, hour, minute, second in local time
    CTime(int year, int month, int day, int hour, int minute, int second);
    static CTime GetCurrentTime();

    std::time_t GetTime() const { return m_time; }
    int GetYear() const { return Local().tm_year + 1900; }
    int GetMonth() const { return Local().tm_mon + 1; }
    int GetDay() const { return Local().tm_mday; }
    int GetHour() const { return Local().tm_hour; }
    int GetMinute() const { return Local().tm_min; }
    int GetSecond() const { return Local().tm_sec; }
    // 1 = Sunday ... 7 = Saturday
    int GetDayOfWeek() const { return Local().tm_wday + 1; }
    CString Format(const char* pattern) const;

private:
    std::tm Local() const;
    std::time_t m_time = 0;
};

class COleDateTime : public CTime {
public:
    using CTime::CTime;
    COleDateTime(const CTime& t) : CTime(t) {}
    static COleDateTime GetCurrentTime() { return COleDateTime(CTime::GetCurrentTime()); }
};
