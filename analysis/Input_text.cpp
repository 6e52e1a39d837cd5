#include "analysis/Input_text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cmath>

#include "events/Lib_time.h"

namespace {

constexpr size_t NUMBER_CHARS = 400;  // a double's largest value in fixed notation
constexpr size_t DATE_CHARS = 19;     // "dd.mm.yyyy hh:mm:ss"
constexpr int BREAK_DOWN_UTC = 0;
constexpr int FIRST_YEAR = 1970;
constexpr int LAST_YEAR = 2105;  // the table's unsigned 32-bit seconds end in 2106

bool digits_at(std::string_view text, size_t at, size_t count, int* value)
{
    *value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        *value = *value * 10 + (text[i] - '0');
    }
    return true;
}

int days_in_month(int year, int month)
{
    static const int DAYS[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap_year(year) ? 29 : DAYS[month - 1];
}

bool parse_date_text(std::string_view text, double* seconds)
{
    if (text.size() != DATE_CHARS || text[2] != '.' || text[5] != '.' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':')
        return false;
    int day, month, year, hour, minute, second;
    if (!digits_at(text, 0, 2, &day) || !digits_at(text, 3, 2, &month) || !digits_at(text, 6, 4, &year) ||
        !digits_at(text, 11, 2, &hour) || !digits_at(text, 14, 2, &minute) || !digits_at(text, 17, 2, &second))
        return false;
    if (year < FIRST_YEAR || year > LAST_YEAR || month < 1 || month > 12 || day < 1 ||
        day > days_in_month(year, month) || hour > 23 || minute > 59 || second > 59)
        return false;
    Tsystem_time time;
    time.wYear = uint16_t(year);
    time.wMonth = uint16_t(month);
    time.wDay = uint16_t(day);
    time.wHour = uint16_t(hour);
    time.wMinute = uint16_t(minute);
    time.wSecond = uint16_t(second);
    *seconds = double(static_cast<uint32_t>(unix_time_of(&time)));
    return true;
}

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
    if (parse_date_text(text, seconds))
        return true;
    return !text.empty() && text.front() >= '0' && text.front() <= '9' && parse_number_text(text, seconds);
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
