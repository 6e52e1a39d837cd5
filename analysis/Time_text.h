#pragma once
#include <string>
#include <string_view>

class Ttime_zone;

// Times as loggers and field notebooks write them: seconds since
// 1970-01-01 00:00 UTC ("1796724000.5"), "yyyy-mm-dd hh:mm[:ss[.f]]" (a "T"
// allowed for the space) or "dd.mm.yyyy hh:mm[:ss[.f]]", either followed by
// "Z" or an offset east of UTC ("+01:00", "+0100", "+01"). A time without
// an offset is a clock in the zone; of two UTC times that show it (the hour
// repeated when summer time ends) the first not before not_before is taken,
// so that rows in order stay in order. False, with the reason, for a text
// that is no such time or a clock time the zone skips.
bool parse_zoned_time_text(std::string_view text, const Ttime_zone& zone, double not_before, double* utc,
                           std::string* error);

// "dd.mm.yyyy hh:mm:ss" of a time as a clock in the zone shows it.
std::string zoned_date_text(double utc, const Ttime_zone& zone);
