#pragma once
#include <string>
#include <string_view>
#include <vector>

// A time zone's offsets from UTC: the transitions of its history, then, for
// the years after the last one, a rule of the TZ variable's form
// ("CET-1CEST,M3.5.0,M10.5.0/3": standard name and offset west of UTC,
// summer name, when summer time starts and ends).
class Ttime_zone {
public:
    // UTC, no offset ever.
    Ttime_zone() = default;
    // False for a rule that does not read.
    bool set_rule(std::string_view rule);
    // The bytes of a compiled zone file ("TZif"); false when they are not one.
    bool set_zone_file(std::string_view bytes);

    // Seconds east of UTC in force at the UTC time.
    int offset_at(double utc) const;
    // The UTC times that show the local time (seconds since 1970 as a
    // clock in the zone reads them), earliest first: none in the hour
    // skipped when summer time starts, two in the hour repeated when it ends.
    std::vector<double> utc_of_local(double local) const;

private:
    struct Ttransition {
        double utc;
        int offset;
    };
    // "Mm.w.d/time": day d (0 Sunday) of week w (5 the last) of month m, at
    // local time seconds.
    struct Trule_day {
        int month = 0;
        int week = 0;
        int weekday = 0;
        int time = 7200;
    };
    int rule_offset_at(double utc) const;

    std::vector<Ttransition> transitions;
    int first_offset = 0;  // before the first transition
    bool has_rule = false;
    int standard_offset = 0;  // east of UTC
    bool has_summer = false;
    int summer_offset = 0;
    Trule_day summer_start, summer_end;
};

// "UTC" or a name of the time-zone database ("Europe/Paris"), through the
// system's zone files. False, with the reason, for a name that is not there
// or a system without them.
bool time_zone_named(const std::string& name, Ttime_zone* zone, std::string* error);
