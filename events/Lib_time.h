#pragma once
#include <cstdint>

// A UTC calendar time, laid out as the platform's SYSTEMTIME record.
struct Tsystem_time {
    uint16_t wYear = 0;
    uint16_t wMonth = 0;
    uint16_t wDayOfWeek = 0;
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;
};

struct Tbroken_time {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0;
};

// The current UTC calendar time of the system clock.
void get_system_time(Tsystem_time* out);
int unix_time_of(const Tsystem_time* time);
int unix_time_now();
// mode 1: local standard time; 2: local time with daylight saving; else UTC.
void break_down_time(Tbroken_time* out, int seconds, int mode);
void date_time_fields(int out[6], int seconds, bool standard_time);
bool is_leap_year(int year);
