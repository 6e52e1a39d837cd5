#pragma once
#include <ctime>
#include <string>

// The C runtime's and the clock's part of the time functions, one half per
// platform.

// The time-zone offset in seconds west of UTC, without daylight saving, as
// the TZ variable or the system's zone gives it now.
long zone_offset_west();
// The calendar fields of a time as UTC / as local time with daylight saving.
// False when the runtime cannot convert it.
bool utc_fields(time_t when, struct tm* out);
bool local_fields(time_t when, struct tm* out);
// The system's file of a time zone by its database name ("Europe/Paris").
// False, with the reason, for a name that cannot be one or a system
// without such files.
bool zone_file_path(const std::string& name, std::string* path, std::string* error);
