#include "tool/Record_options.h"

#include <charconv>
#include <cmath>
#include <utility>

#include "tool/Tool_args.h"

namespace {

constexpr int HIGHEST_PORT = 255;
constexpr double SHORTEST_PERIOD_S = 1;
constexpr double LONGEST_PERIOD_S = 86400;
constexpr int TENTH_MS = 100;

template <typename Tnumber>
bool read_number(const std::string& text, Tnumber* value)
{
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, *value);
    return !text.empty() && failure == std::errc() && stop == end;
}

bool read_port(const std::string& text, int* port)
{
    return read_number(text, port) && *port >= 1 && *port <= HIGHEST_PORT;
}

// One or more of A, B, C, T, each once, in any order and case.
bool read_lamps(const std::string& text, unsigned char* lamps)
{
    static const char LETTERS[] = "ABCT";
    *lamps = 0;
    for (char letter : text) {
        const char upper = letter >= 'a' && letter <= 'z' ? char(letter - 'a' + 'A') : letter;
        int lamp = 0;
        while (lamp < 4 && LETTERS[lamp] != upper) lamp++;
        const unsigned char bit = (unsigned char)(1u << lamp);
        if (lamp == 4 || (*lamps & bit)) return false;
        *lamps |= bit;
    }
    return *lamps != 0;
}

// Seconds as a decimal number, rounded to the tick's tenth of a second.
bool read_period(const std::string& text, int* period_ms)
{
    double seconds = 0;
    if (!read_number(text, &seconds) || !(seconds >= SHORTEST_PERIOD_S && seconds <= LONGEST_PERIOD_S))
        return false;
    *period_ms = int(std::lround(seconds * 1000 / TENTH_MS)) * TENTH_MS;
    return true;
}

}  // namespace

bool read_record_options(const Ttool_args& args, Trecord_options* options, std::string* error)
{
    Ttool_command_line line;
    if (!line.parse(args, {"--port", "--lamps", "--every", "--count", "--constants", "-o", "--publish", "--station", "--ca"}, error, {"--verbose"}))
        return false;
    options->help = line.wants_help();
    if (options->help) return true;
    const std::string* port = line.option("--port");
    const std::string* table = line.option("-o");
    if (!port || !table || !line.positional.empty()) {
        *error = "expects --port N and -o TABLE.csv";
        return false;
    }
    if (!read_port(*port, &options->port)) {
        *error = "--port takes a COM port number from 1 to 255";
        return false;
    }
    const std::string* lamps = line.option("--lamps");
    if (lamps && !read_lamps(*lamps, &options->lamps)) {
        *error = "--lamps takes one or more of the letters A, B, C and T";
        return false;
    }
    const std::string* every = line.option("--every");
    if (every && !read_period(*every, &options->period_ms)) {
        *error = "--every takes seconds from 1 to 86400";
        return false;
    }
    const std::string* count = line.option("--count");
    if (count && !read_number(*count, &options->count)) {
        *error = "--count takes a whole number of rows (0: until stopped)";
        return false;
    }
    if (const std::string* constants = line.option("--constants")) options->constants = *constants;
    for (auto [name, value] : {std::pair{"--publish", &options->publish.url},
                               std::pair{"--station", &options->publish.station}, std::pair{"--ca", &options->publish.ca}})
        if (const std::string* given = line.option(name)) *value = *given;
    if (options->publish.url.empty() && (line.option("--station") || line.option("--ca"))) {
        *error = "--station and --ca go with --publish";
        return false;
    }
    options->table = *table;
    options->verbose = line.flag("--verbose");
    return true;
}
