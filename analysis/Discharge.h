#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Time_series.h"

// The discharge at the sampling point in L/s: one constant, or the rows of
// a discharge file, linear between two rows. Outside the file's span the
// nearest row's value stands in, and the caller is told so.
class Tdischarge {
public:
    void set_constant(double litres_per_second);
    // Lines "time;discharge" (a ";" after the discharge is allowed): the
    // time in UTC seconds or as "dd.mm.yyyy hh:mm:ss", the discharge in L/s.
    // A first line that is not such a row is a header; empty lines are
    // skipped; rows in any order, a repeated time gives the mean. False,
    // with the line and the fault in *error, for anything else, a negative
    // discharge or a file without rows.
    bool read_rows(std::string_view text, std::string* error);
    bool load_file(const char* path, std::string* error);

    bool given() const;
    bool from_file() const { return !rows.empty(); }
    // *held: t lies outside the file's span.
    double at(double t, bool* held) const;
    double first_time() const { return rows.front().t; }
    double last_time() const { return rows.back().t; }

private:
    double constant = -1.0;
    std::vector<Ttime_point> rows;
};
