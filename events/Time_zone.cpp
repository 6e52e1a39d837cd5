#include "events/Time_zone.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>


namespace {

constexpr int HOUR = 3600;
constexpr int DAY = 86400;
constexpr int RULE_DEFAULT_TIME = 2 * HOUR;

// A reader of the TZ variable's rule form, left to right.
class Trule_reader {
public:
    explicit Trule_reader(std::string_view text) : text(text) {}

    bool at_end() const { return text.empty(); }
    bool next_is(char c) const { return !text.empty() && text.front() == c; }
    bool take(char c)
    {
        if (!next_is(c))
            return false;
        text.remove_prefix(1);
        return true;
    }
    // "CET" (three letters or more) or "<+01>".
    bool name()
    {
        if (take('<')) {
            const size_t close = text.find('>');
            if (close == std::string_view::npos)
                return false;
            text.remove_prefix(close + 1);
            return true;
        }
        size_t letters = 0;
        while (letters < text.size() && std::isalpha(static_cast<unsigned char>(text[letters])))
            ++letters;
        text.remove_prefix(letters);
        return letters >= 3;
    }
    bool number(int* value)
    {
        size_t digits = 0;
        *value = 0;
        while (digits < text.size() && digits < 3 && text[digits] >= '0' && text[digits] <= '9')
            *value = *value * 10 + (text[digits++] - '0');
        text.remove_prefix(digits);
        return digits > 0;
    }
    // "[+-]hh[:mm[:ss]]" in seconds.
    bool clock(int* seconds)
    {
        const int sign = take('-') ? -1 : (take('+'), 1);
        int part = 0;
        if (!number(&part))
            return false;
        *seconds = part * HOUR;
        for (int unit = 60; unit >= 1 && take(':'); unit /= 60) {
            if (!number(&part))
                return false;
            *seconds += part * unit;
        }
        *seconds *= sign;
        return true;
    }

private:
    std::string_view text;
};

double day_seconds(std::chrono::sys_days day) { return double(day.time_since_epoch().count()) * DAY; }

int year_of(double seconds)
{
    using namespace std::chrono;
    const sys_days day = floor<days>(sys_seconds(std::chrono::seconds(int64_t(std::floor(seconds)))));
    return int(year_month_day(day).year());
}

}  // namespace

bool Ttime_zone::set_rule(std::string_view rule)
{
    Trule_reader reader(rule);
    int west = 0;
    if (!reader.name() || !reader.clock(&west))
        return false;
    standard_offset = -west;
    has_summer = !reader.at_end();
    if (has_summer) {
        int summer_west = west - HOUR;
        if (!reader.name() || (!reader.next_is(',') && !reader.clock(&summer_west)))
            return false;
        summer_offset = -summer_west;
        for (Trule_day* day : {&summer_start, &summer_end}) {
            day->time = RULE_DEFAULT_TIME;
            if (!reader.take(',') || !reader.take('M') || !reader.number(&day->month) || !reader.take('.') ||
                !reader.number(&day->week) || !reader.take('.') || !reader.number(&day->weekday))
                return false;
            if (reader.take('/') && !reader.clock(&day->time))
                return false;
            if (day->month < 1 || day->month > 12 || day->week < 1 || day->week > 5 || day->weekday > 6)
                return false;
        }
    }
    has_rule = reader.at_end();
    return has_rule;
}

int Ttime_zone::rule_offset_at(double utc) const
{
    if (!has_summer)
        return standard_offset;
    using namespace std::chrono;
    const int y = year_of(utc + standard_offset);
    const auto day_of = [y](const Trule_day& d) {
        const year_month ym(year(y), month(unsigned(d.month)));
        const weekday wd(unsigned(d.weekday));
        return d.week == 5 ? sys_days(year_month_weekday_last(ym.year(), ym.month(), weekday_last(wd)))
                           : sys_days(year_month_weekday(ym.year(), ym.month(), wd[unsigned(d.week)]));
    };
    const double start = day_seconds(day_of(summer_start)) + summer_start.time - standard_offset;
    const double end = day_seconds(day_of(summer_end)) + summer_end.time - summer_offset;
    const bool summer = start < end ? utc >= start && utc < end : utc >= start || utc < end;
    return summer ? summer_offset : standard_offset;
}

int Ttime_zone::offset_at(double utc) const
{
    if (transitions.empty() || utc >= transitions.back().utc)
        return has_rule ? rule_offset_at(utc) : transitions.empty() ? first_offset : transitions.back().offset;
    const auto after = std::upper_bound(transitions.begin(), transitions.end(), utc,
                                        [](double t, const Ttransition& transition) { return t < transition.utc; });
    return after == transitions.begin() ? first_offset : std::prev(after)->offset;
}

std::vector<double> Ttime_zone::utc_of_local(double local) const
{
    // Offsets change at most once within a day either side.
    std::vector<double> utc;
    for (const int offset : {offset_at(local - DAY), offset_at(local + DAY)}) {
        const double candidate = local - offset;
        if (offset_at(candidate) == offset && std::find(utc.begin(), utc.end(), candidate) == utc.end())
            utc.push_back(candidate);
    }
    std::sort(utc.begin(), utc.end());
    return utc;
}
