#include <windows.h>

#include <ctime>

#include "events/Lib_time.h"
#include "events/Lib_time_os.h"

void get_system_time(Tsystem_time* out)
{
    if (!out) return;
    SYSTEMTIME now;
    GetSystemTime(&now);
    out->wYear = now.wYear;
    out->wMonth = now.wMonth;
    out->wDayOfWeek = now.wDayOfWeek;
    out->wDay = now.wDay;
    out->wHour = now.wHour;
    out->wMinute = now.wMinute;
    out->wSecond = now.wSecond;
    out->wMilliseconds = now.wMilliseconds;
}

long zone_offset_west()
{
    _tzset();
    return _timezone;
}

bool utc_fields(time_t when, struct tm* out) { return gmtime_s(out, &when) == 0; }

bool local_fields(time_t when, struct tm* out)
{
    _tzset();
    return localtime_s(out, &when) == 0;
}

bool zone_file_path(const std::string&, std::string*, std::string* error)
{
    *error = "time zones by name are not available on Windows; give the offset in the time (+01:00)";
    return false;
}
