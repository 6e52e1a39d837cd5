#pragma once
#include <ctime>

// The C runtime's and the clock's part of the time functions, one half per
// platform.

// The time-zone offset in seconds west of UTC, without daylight saving, as
// the TZ variable or the system's zone gives it now.
long zone_offset_west();
// The calendar fields of a time as UTC / as local time with daylight saving.
// False when the runtime cannot convert it.
bool utc_fields(time_t when, struct tm* out);
bool local_fields(time_t when, struct tm* out);
