#include "analysis/Input_text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cmath>

#include "analysis/Time_text.h"
#include "events/Lib_time.h"
#include "events/Time_zone.h"

namespace {

constexpr size_t NUMBER_CHARS = 400;  // a double's largest value in fixed notation
constexpr size_t DATE_CHARS = 19;     // "dd.mm.yyyy hh:mm:ss"
constexpr int BREAK_DOWN_UTC = 0;

}  // namespace

bool parse_number_text(std::string_view text, double* value)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, *value, std::chars_format::general);
    return !text.empty() && failure == std::errc() && stop == end && std::isfinite(*value);
}

bool parse_utc_text(std::string_view text, double* seconds)
{
    // Of the forms parse_zoned_time_text reads, only the table's date and seconds.
    const bool table_date = text.size() == DATE_CHARS && text[2] == '.' && text[16] == ':';
    const bool number = text.find_first_of(" :") == std::string_view::npos;
    std::string fault;
    return (table_date || number) && parse_zoned_time_text(text, Ttime_zone(), 0.0, seconds, &fault);
}

std::string utc_date_text(double seconds)
{
    Tbroken_time t;
    break_down_time(&t, static_cast<int>(std::floor(seconds)), BREAK_DOWN_UTC);
    const int fields[6] = {t.day, t.month, t.year, t.hour, t.minute, t.second};
    static const int WIDTHS[6] = {2, 2, 4, 2, 2, 2};
    static const char AFTER[6] = {'.', '.', ' ', ':', ':', '\0'};
    char text[32];
    char* out = text;
    for (int i = 0; i < 6; ++i) {
        char digits[8];
        char* end = std::to_chars(digits, digits + sizeof digits, fields[i]).ptr;
        for (int pad = WIDTHS[i] - int(end - digits); pad > 0; --pad)
            *out++ = '0';
        out = std::copy(digits, end, out);
        if (AFTER[i])
            *out++ = AFTER[i];
    }
    return std::string(text, out);
}

std::string exact_number_text(double value)
{
    char text[NUMBER_CHARS];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string fixed_number_text(double value, int decimals)
{
    char text[NUMBER_CHARS];
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr);
}

bool next_text_line(std::string_view* text, std::string_view* line)
{
    if (text->empty())
        return false;
    const size_t end = text->find_first_of("\r\n");
    *line = text->substr(0, end);
    if (end == std::string_view::npos) {
        text->remove_prefix(text->size());
        return true;
    }
    const bool crlf = (*text)[end] == '\r' && end + 1 < text->size() && (*text)[end + 1] == '\n';
    text->remove_prefix(end + (crlf ? 2 : 1));
    return true;
}
