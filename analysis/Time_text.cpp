#include "analysis/Time_text.h"

#include <chrono>
#include <cmath>
#include <vector>

#include "analysis/Input_text.h"
#include "events/Time_zone.h"

namespace {

constexpr int FIRST_YEAR = 1970;
constexpr int LAST_YEAR = 2105;  // the table's unsigned 32-bit seconds end in 2106

// A reader of a time's text, left to right.
class Ttime_reader {
public:
    explicit Ttime_reader(std::string_view text) : text(text) {}

    bool at_end() const { return text.empty(); }
    bool take(char c)
    {
        if (text.empty() || text.front() != c)
            return false;
        text.remove_prefix(1);
        return true;
    }
    bool digits(size_t count, int* value)
    {
        *value = 0;
        if (text.size() < count)
            return false;
        for (size_t i = 0; i < count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            *value = *value * 10 + (text[i] - '0');
        }
        text.remove_prefix(count);
        return true;
    }
    // ".25" after the seconds, in seconds.
    bool fraction(double* seconds)
    {
        *seconds = 0;
        if (!take('.'))
            return true;
        double scale = 0.1;
        const size_t before = text.size();
        while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
            *seconds += scale * (text.front() - '0');
            scale /= 10;
            text.remove_prefix(1);
        }
        return text.size() < before;
    }
    char peek() const { return text.empty() ? '\0' : text.front(); }

private:
    std::string_view text;
};

struct Tclock {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    double fraction = 0;
};

bool read_date(Ttime_reader* r, Tclock* c)
{
    if (r->peek() && std::string_view("0123456789").find(r->peek()) == std::string_view::npos)
        return false;
    Ttime_reader iso = *r;
    if (iso.digits(4, &c->year) && iso.take('-') && iso.digits(2, &c->month) && iso.take('-') &&
        iso.digits(2, &c->day) && (iso.take(' ') || iso.take('T'))) {
        *r = iso;
        return true;
    }
    return r->digits(2, &c->day) && r->take('.') && r->digits(2, &c->month) && r->take('.') &&
           r->digits(4, &c->year) && r->take(' ');
}

bool read_clock(Ttime_reader* r, Tclock* c)
{
    if (!r->digits(2, &c->hour) || !r->take(':') || !r->digits(2, &c->minute))
        return false;
    return !r->take(':') || (r->digits(2, &c->second) && r->fraction(&c->fraction));
}

// "Z", "+01:00", "+0100" or "+01" (a space before allowed) in seconds east
// of UTC; *given false when the text ends without one.
bool read_offset(Ttime_reader* r, bool* given, int* east)
{
    r->take(' ');
    *given = !r->at_end();
    *east = 0;
    if (!*given || r->take('Z'))
        return r->at_end();
    const int sign = r->take('+') ? 1 : r->take('-') ? -1 : 0;
    int hours = 0, minutes = 0;
    if (!sign || !r->digits(2, &hours))
        return false;
    if (!r->at_end() && (r->take(':'), !r->digits(2, &minutes)))
        return false;
    *east = sign * (hours * 3600 + minutes * 60);
    return r->at_end() && hours <= 14 && minutes < 60;
}

bool valid(const Tclock& c)
{
    using namespace std::chrono;
    return c.year >= FIRST_YEAR && c.year <= LAST_YEAR &&
           year_month_day(year(c.year), month(unsigned(c.month)), day(unsigned(c.day))).ok() && c.hour <= 23 &&
           c.minute <= 59 && c.second <= 59;
}

double seconds_of(const Tclock& c)
{
    using namespace std::chrono;
    const sys_days day = year(c.year) / month(unsigned(c.month)) / std::chrono::day(unsigned(c.day));
    return double(day.time_since_epoch().count()) * 86400.0 + c.hour * 3600 + c.minute * 60 + c.second + c.fraction;
}

}  // namespace

bool parse_zoned_time_text(std::string_view text, const Ttime_zone& zone, double not_before, double* utc,
                           std::string* error)
{
    const std::string quoted = "\"" + std::string(text) + "\"";
    if (!text.empty() && text.front() >= '0' && text.front() <= '9' && parse_number_text(text, utc))
        return true;
    Ttime_reader reader(text);
    Tclock clock;
    bool offset_given = false;
    int east = 0;
    if (!read_date(&reader, &clock) || !read_clock(&reader, &clock) || !read_offset(&reader, &offset_given, &east)) {
        *error = quoted + " is not a time (yyyy-mm-dd hh:mm[:ss], dd.mm.yyyy hh:mm[:ss] or seconds since 1970)";
        return false;
    }
    if (!valid(clock)) {
        *error = quoted + " is not a date and time of the years " + std::to_string(FIRST_YEAR) + " to " +
                 std::to_string(LAST_YEAR);
        return false;
    }
    const double local = seconds_of(clock);
    if (offset_given) {
        *utc = local - east;
        return true;
    }
    const std::vector<double> candidates = zone.utc_of_local(local);
    if (candidates.empty()) {
        *error = quoted + " is skipped by the time zone when summer time starts";
        return false;
    }
    *utc = candidates.back();
    for (double candidate : candidates)
        if (candidate >= not_before) {
            *utc = candidate;
            break;
        }
    return true;
}

std::string zoned_date_text(double utc, const Ttime_zone& zone) { return utc_date_text(utc + zone.offset_at(utc)); }
