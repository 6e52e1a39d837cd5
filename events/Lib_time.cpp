#include "events/Lib_time.h"

#include <ctime>

#include "events/Lib_time_os.h"

namespace {

constexpr uint32_t DAYS_BEFORE_MONTH[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

void fill_broken_time(Tbroken_time* out, const struct tm* fields)
{
    out->year = fields->tm_year + 1900;
    out->month = fields->tm_mon + 1;
    out->day = fields->tm_mday;
    out->hour = fields->tm_hour;
    out->minute = fields->tm_min;
    out->second = fields->tm_sec;
    out->weekday = fields->tm_wday;
}

// Local standard time: the offset west of UTC without daylight saving,
// clamped to the unsigned 32-bit range of the seconds count.
time_t standard_time_of(int seconds)
{
    long long shifted = (long long)seconds - zone_offset_west();
    if (shifted < 0 || shifted > 0xFFFFFFFFLL) return 0;
    return time_t(shifted);
}

} // namespace

bool is_leap_year(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// 32-bit arithmetic: the count wraps as the unsigned type does.
int unix_time_of(const Tsystem_time* time)
{
    if (!time) return 0;
    uint32_t days = 0;
    for (int year = 1970; year < time->wYear; year++) days += is_leap_year(year) ? 366 : 365;
    uint32_t day_of_year = 0;
    if (time->wMonth >= 1 && time->wMonth <= 12) day_of_year = DAYS_BEFORE_MONTH[time->wMonth - 1];
    day_of_year += uint32_t(time->wDay) - 1u;
    if (is_leap_year(time->wYear) && day_of_year >= 59 && time->wMonth >= 3) day_of_year++;
    days += day_of_year;
    uint32_t seconds = days * 86400u + uint32_t(time->wHour) * 3600u + uint32_t(time->wMinute) * 60u + time->wSecond;
    return int(seconds);
}

int unix_time_now()
{
    Tsystem_time now;
    get_system_time(&now);
    return unix_time_of(&now);
}

void break_down_time(Tbroken_time* out, int seconds, int mode)
{
    if (!out) return;
    out->year = out->month = out->day = out->hour = out->minute = out->second = 0;
    struct tm fields;
    bool converted;
    if (mode == 1) {
        converted = utc_fields(standard_time_of(seconds), &fields);
    } else if (mode == 2) {
        converted = local_fields(seconds, &fields);
    } else {
        converted = utc_fields(seconds, &fields);
    }
    if (converted) fill_broken_time(out, &fields);
}

void date_time_fields(int out[6], int seconds, bool standard_time)
{
    if (!out) return;
    Tbroken_time broken;
    break_down_time(&broken, seconds, standard_time ? 1 : 2);
    out[0] = broken.year;
    out[1] = broken.month;
    out[2] = broken.day;
    out[3] = broken.hour;
    out[4] = broken.minute;
    out[5] = broken.second;
}
