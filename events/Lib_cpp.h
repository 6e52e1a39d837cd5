#pragma once
#include <cstdint>

class Tmy_string;

// Lenient number parsers. They store what they read and return true on error.
// max_chars 0 means no limit.
bool parse_int(const char* text, int* out, int max_chars = 0);
bool parse_unsigned(const char* text, int* out, int max_chars = 0);
bool parse_real(const char* text, double* out);

// The marker of a missing value: the largest finite value of the type.
float undefined_float();
double undefined_double();
bool is_undefined(float value);
bool is_undefined_double(double value);
double min_defined(double a, double b);

// Logs bytes as lines of hex and characters behind a prefix.
void hex_dump(const char* prefix, const unsigned char* bytes, unsigned length, unsigned per_line);
char hex_digit(unsigned value);
int hex_value(char c, bool* error);
void xml_escape_char(char* out, char c);
uint32_t be32_bits(const unsigned char* bytes);
bool char_in_set(char c, const char* set);
int equal_ignore_case(const char* a, const char* b);
void to_lower_ascii(char* text);
int copy_bounded(char* out, const char* text, int size);
int path_join(char* out, int size, const char* directory, const char* name);
int file_name_of(char* out, int size, const char* path);
int directory_of(char* out, int size, const char* path);
void strip_trailing_separators(char* path);
