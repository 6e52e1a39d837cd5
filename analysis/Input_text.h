#pragma once
#include <string>
#include <string_view>

// Numbers and times as a tracer test's inputs and files give them. Strict:
// the whole text must be the number or the time, with a point as decimal
// separator whatever the locale.

// A finite number, optionally signed, as "12.5", "-3" or "1e3".
bool parse_number_text(std::string_view text, double* value);

// A UTC time as seconds since 1970-01-01 00:00 ("1796724000", fractions
// allowed) or as the measurement table's date "dd.mm.yyyy hh:mm:ss".
bool parse_utc_text(std::string_view text, double* seconds);

// The table's date form of a whole number of UTC seconds.
std::string utc_date_text(double seconds);

// The shortest text that reads back as the same double ("12.5", "1e-05").
std::string exact_number_text(double value);

// "%.<decimals>f" without the locale.
std::string fixed_number_text(double value, int decimals);

// The next line of a text without its line end (CR LF, LF or CR), taken
// off the text; false at its end.
bool next_text_line(std::string_view* text, std::string_view* line);
