#include "events/Lib_cpp.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "events/My_string.h"

namespace {

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

bool is_separator(char c)
{
    return c == '/' || c == '\\';
}

bool within_limit(int index, int max_chars)
{
    return max_chars <= 0 || index < max_chars;
}

// Digits accumulate modulo 2^32, as the 32-bit original did without a check.
void store(int* out, uint32_t value, bool negative)
{
    if (out) *out = int(negative ? 0u - value : value);
}

// Wider lines than this are never needed; the bound keeps a bad count cheap.
constexpr unsigned HEX_DUMP_MAX_PER_LINE = 1024;
constexpr unsigned HEX_DUMP_MAX_INDENT = 40;

} // namespace

bool parse_int(const char* text, int* out, int max_chars)
{
    if (!text) {
        store(out, 0, false);
        return true;
    }
    uint32_t value = 0;
    bool negative = false;
    bool error = false;
    for (int i = 0; text[i] && within_limit(i, max_chars); i++) {
        char c = text[i];
        if (is_blank(c)) continue;
        if (c == '+' || c == '-') {
            negative = c == '-';
        } else if (is_digit(c)) {
            value = value * 10u + uint32_t(c - '0');
        } else {
            error = true;
            break;
        }
    }
    store(out, value, negative);
    return error;
}

bool parse_unsigned(const char* text, int* out, int max_chars)
{
    if (!text) {
        store(out, 0, false);
        return true;
    }
    uint32_t value = 0;
    bool error = false;
    for (int i = 0; text[i] && within_limit(i, max_chars); i++) {
        char c = text[i];
        if (is_blank(c) || c == '+') continue;
        if (!is_digit(c)) {
            error = true;
            break;
        }
        value = value * 10u + uint32_t(c - '0');
    }
    store(out, value, false);
    return error;
}

bool parse_real(const char* text, double* out)
{
    if (!text) {
        if (out) *out = 0;
        return true;
    }
    // Part 0 is the mantissa, part 1 the exponent.
    double value[2] = {0, 0};
    double sign[2] = {1, 1};
    double fraction_divisor[2] = {0, 0};  // 0 while reading the integer digits
    int part = 0;
    bool error = false;
    for (const char* p = text; *p; p++) {
        char c = *p;
        if (is_blank(c)) continue;
        if (c == '+' || c == '-') {
            sign[part] = c == '-' ? -1 : 1;
        } else if (c == '.') {
            if (fraction_divisor[part] == 0) fraction_divisor[part] = 1;
        } else if (c == 'E' || c == 'e') {
            part = 1;
        } else if (is_digit(c)) {
            double digit = c - '0';
            if (fraction_divisor[part] == 0) {
                value[part] = value[part] * 10 + digit;
            } else {
                fraction_divisor[part] *= 10;
                value[part] += digit / fraction_divisor[part];
            }
        } else {
            error = true;
            break;
        }
    }
    if (out) *out = sign[0] * value[0] * pow(10.0, sign[1] * value[1]);
    return error;
}

float undefined_float()
{
    return FLT_MAX;
}

double undefined_double()
{
    return DBL_MAX;
}

bool is_undefined(float value)
{
    return value == FLT_MAX;
}

bool is_undefined_double(double value)
{
    return value == DBL_MAX;
}

double min_defined(double a, double b)
{
    if (is_undefined_double(a)) return b;
    if (is_undefined_double(b)) return a;
    return a < b ? a : b;
}

void hex_dump(const char* prefix, const unsigned char* bytes, unsigned length, unsigned per_line)
{
    if (!prefix || !bytes) return;
    if (per_line == 0) per_line = 1;
    if (per_line > HEX_DUMP_MAX_PER_LINE) per_line = HEX_DUMP_MAX_PER_LINE;
    char indent[HEX_DUMP_MAX_INDENT + 1];
    size_t indent_length = strlen(prefix);
    if (indent_length > HEX_DUMP_MAX_INDENT) indent_length = HEX_DUMP_MAX_INDENT;
    memset(indent, ' ', indent_length);
    indent[indent_length] = 0;

    std::vector<char> line(per_line * 4 + 5);
    for (unsigned start = 0; start < length; start += per_line) {
        std::fill(line.begin(), line.end() - 1, ' ');
        line.back() = 0;
        for (unsigned i = 0; i < per_line && start + i < length; i++) {
            unsigned char byte = bytes[start + i];
            line[3 * i] = hex_digit(byte >> 4);
            line[3 * i + 1] = hex_digit(byte);
            line[3 * per_line + 4 + i] = byte >= 32 && byte <= 126 ? char(byte) : '.';
        }
        log_printf("%s | %s", start == 0 ? prefix : indent, line.data());
    }
}

char hex_digit(unsigned value)
{
    return "0123456789ABCDEF"[value & 0xF];
}

int hex_value(char c, bool* error)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (error) *error = true;
    return 0;
}

void xml_escape_char(char* out, char c)
{
    if (!out) return;
    unsigned char byte = (unsigned char)c;
    const char* named = nullptr;
    switch (c) {
    case '"': named = "&quot;"; break;
    case '&': named = "&amp;"; break;
    case '\'': named = "&apos;"; break;
    case '<': named = "&lt;"; break;
    case '>': named = "&gt;"; break;
    default: break;
    }
    if (named) {
        strcpy(out, named);
    } else if (byte < 32 || byte >= 128) {
        snprintf(out, 7, "&#%d;", byte);
    } else {
        out[0] = c;
        out[1] = 0;
    }
}

uint32_t be32_bits(const unsigned char* bytes)
{
    if (!bytes) return 0;
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]);
}

bool char_in_set(char c, const char* set)
{
    return c != 0 && set && strchr(set, c) != nullptr;
}

static char lower_ascii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

int equal_ignore_case(const char* a, const char* b)
{
    if (!a || !b) return 1;
    for (; *a && *b; a++, b++) {
        if (lower_ascii(*a) != lower_ascii(*b)) return 1;
    }
    return *a == *b ? 0 : 1;
}

void to_lower_ascii(char* text)
{
    if (!text) return;
    for (; *text; text++) *text = lower_ascii(*text);
}

int copy_bounded(char* out, const char* text, int size)
{
    if (!out || size <= 0) return 0;
    out[0] = 0;
    if (!text) return 0;
    size_t length = strlen(text);
    if (length >= size_t(size)) return 0;
    memcpy(out, text, length + 1);
    return int(length);
}

int path_join(char* out, int size, const char* directory, const char* name)
{
    if (!out || size <= 0) return 0;
    out[0] = 0;
    if (!directory || !name) return 0;
    size_t directory_length = strlen(directory);
    size_t name_length = strlen(name);
    if (directory_length + name_length + 2 >= size_t(size)) return 0;
    bool directory_ends = directory_length > 0 && is_separator(directory[directory_length - 1]);
    bool name_starts = name_length > 0 && is_separator(name[0]);
    memcpy(out, directory, directory_length);
    size_t length = directory_length;
    if (directory_ends && name_starts) {
        length--;
    } else if (!directory_ends && !name_starts && directory_length > 0 && name_length > 0) {
        out[length++] = '/';
    }
    memcpy(out + length, name, name_length + 1);
    return int(length + name_length);
}

int file_name_of(char* out, int size, const char* path)
{
    if (!out || size <= 0) return 0;
    out[0] = 0;
    if (!path) return 0;
    const char* name = path;
    for (const char* p = path; *p; p++) {
        if (is_separator(*p) || *p == ':') name = p + 1;
    }
    return copy_bounded(out, name, size);
}

int directory_of(char* out, int size, const char* path)
{
    if (!out || size <= 0) return 0;
    out[0] = 0;
    if (!path || strlen(path) >= size_t(size)) return 0;
    size_t length = 0;
    for (size_t i = 0; path[i]; i++) {
        if (is_separator(path[i])) length = i + 1;
    }
    memcpy(out, path, length);
    out[length] = 0;
    return int(length);
}

void strip_trailing_separators(char* path)
{
    if (!path) return;
    size_t length = strlen(path);
    while (length >= 2 && is_separator(path[length - 1])) path[--length] = 0;
}
