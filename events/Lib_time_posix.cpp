#include <sys/time.h>

#include <cstdlib>
#include <ctime>

#include "events/Lib_time.h"
#include "events/Lib_time_os.h"

void get_system_time(Tsystem_time* out)
{
    if (!out) return;
    struct timeval now;
    gettimeofday(&now, nullptr);
    struct tm fields;
    *out = Tsystem_time();
    if (!utc_fields(now.tv_sec, &fields)) return;
    out->wYear = uint16_t(fields.tm_year + 1900);
    out->wMonth = uint16_t(fields.tm_mon + 1);
    out->wDayOfWeek = uint16_t(fields.tm_wday);
    out->wDay = uint16_t(fields.tm_mday);
    out->wHour = uint16_t(fields.tm_hour);
    out->wMinute = uint16_t(fields.tm_min);
    out->wSecond = uint16_t(fields.tm_sec);
    out->wMilliseconds = uint16_t(now.tv_usec / 1000);
}

long zone_offset_west()
{
    tzset();
    return timezone;
}

bool utc_fields(time_t when, struct tm* out) { return gmtime_r(&when, out) != nullptr; }

bool local_fields(time_t when, struct tm* out)
{
    tzset();
    return localtime_r(&when, out) != nullptr;
}

bool zone_file_path(const std::string& name, std::string* path, std::string* error)
{
    // A name is a path below the zone folder, never outside it.
    if (name.empty() || name.front() == '/' || name.find("..") != std::string::npos) {
        *error = "unknown time zone \"" + name + "\" (a name such as Europe/Paris, or UTC)";
        return false;
    }
    const char* folder = std::getenv("TZDIR");
    *path = std::string(folder && *folder ? folder : "/usr/share/zoneinfo") + "/" + name;
    return true;
}
