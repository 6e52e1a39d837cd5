#include "analysis/Discharge.h"

#include <algorithm>

#include "analysis/Input_text.h"
#include "events/Whole_file.h"

namespace {

bool read_row(std::string_view line, Ttime_point* row, std::string* fault)
{
    if (!line.empty() && line.back() == ';')
        line.remove_suffix(1);
    const size_t separator = line.find(';');
    if (separator == std::string_view::npos) {
        *fault = "not \"time;discharge\"";
        return false;
    }
    if (!parse_utc_text(line.substr(0, separator), &row->t)) {
        *fault = "the time is neither UTC seconds nor \"dd.mm.yyyy hh:mm:ss\"";
        return false;
    }
    if (!parse_number_text(line.substr(separator + 1), &row->value)) {
        *fault = "the discharge is not a number (L/s, decimal point)";
        return false;
    }
    if (row->value < 0) {
        *fault = "negative discharge";
        return false;
    }
    return true;
}

}  // namespace

void Tdischarge::set_constant(double litres_per_second)
{
    constant = litres_per_second;
    rows.clear();
}

bool Tdischarge::read_rows(std::string_view text, std::string* error)
{
    std::vector<Ttime_point> read;
    std::string_view line;
    for (int number = 1; next_text_line(&text, &line); ++number) {
        if (line.empty())
            continue;
        Ttime_point row;
        std::string fault;
        if (read_row(line, &row, &fault)) {
            read.push_back(row);
        } else if (number > 1) {
            *error = "line " + std::to_string(number) + ": " + fault;
            return false;
        }
    }
    if (read.empty()) {
        *error = "no \"time;discharge\" rows";
        return false;
    }
    sort_and_merge(&read);
    rows = std::move(read);
    constant = -1.0;
    return true;
}

bool Tdischarge::load_file(const char* path, std::string* error)
{
    std::string text;
    if (!read_whole_file(path, &text)) {
        *error = std::string("unable to read \"") + path + "\"";
        return false;
    }
    if (read_rows(text, error))
        return true;
    *error = std::string(path) + ": " + *error;
    return false;
}

bool Tdischarge::given() const { return constant >= 0 || !rows.empty(); }

double Tdischarge::at(double t, bool* held) const
{
    *held = false;
    if (rows.empty())
        return constant;
    if (t <= rows.front().t || t >= rows.back().t) {
        *held = t < rows.front().t || t > rows.back().t;
        return t <= rows.front().t ? rows.front().value : rows.back().value;
    }
    const auto after = std::upper_bound(rows.begin(), rows.end(), t,
                                        [](double time, const Ttime_point& row) { return time < row.t; });
    const Ttime_point& a = *(after - 1);
    const Ttime_point& b = *after;
    return a.value + (b.value - a.value) * (t - a.t) / (b.t - a.t);
}
