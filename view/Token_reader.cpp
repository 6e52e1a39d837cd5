#include "view/Token_reader.h"

#include <charconv>

bool is_blank_char(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Ttoken_reader::line() {
    size_t end = text.find('\n', position);
    if (end == std::string_view::npos) end = text.size();
    std::string_view result = text.substr(position, end - position);
    if (!result.empty() && result.back() == '\r') result.remove_suffix(1);
    position = end < text.size() ? end + 1 : end;
    return result;
}

bool Ttoken_reader::word(std::string_view* out) {
    skip_space();
    size_t end = position;
    while (end < text.size() && !is_blank_char(text[end])) ++end;
    if (end == position) return fail();
    *out = text.substr(position, end - position);
    position = end;
    return true;
}

bool Ttoken_reader::number(double* out) {
    skip_space();
    const char* first = text.data() + position;
    const char* last = text.data() + text.size();
    // from_chars takes no explicit plus sign; a leading '+' is allowed here.
    if (first < last && *first == '+' && first + 1 < last && first[1] != '-' && first[1] != '+') ++first;
    double value = 0;
    auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error != std::errc()) return fail();
    *out = value;
    position = end - text.data();
    return true;
}

bool Ttoken_reader::integer(int* out) {
    skip_space();
    const char* first = text.data() + position;
    const char* last = text.data() + text.size();
    if (first < last && *first == '+' && first + 1 < last && first[1] != '-' && first[1] != '+') ++first;
    int value = 0;
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc()) return fail();
    *out = value;
    position = end - text.data();
    return true;
}

void Ttoken_reader::skip_line() {
    size_t end = text.find('\n', position);
    position = end == std::string_view::npos ? text.size() : end + 1;
}

void Ttoken_reader::skip_space() {
    while (position < text.size() && is_blank_char(text[position])) ++position;
}

bool Ttoken_reader::fail() {
    read_failed = true;
    return false;
}
