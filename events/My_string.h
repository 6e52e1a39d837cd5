#pragma once
#include <cstdarg>

// The growable byte string used for all text: log lines, file contents,
// received bytes. Passed by pointer; never copied.
class Tmy_string {
public:
    Tmy_string() = default;
    ~Tmy_string();
    Tmy_string(const Tmy_string&) = delete;
    Tmy_string& operator=(const Tmy_string&) = delete;

    void clear();
    const char* c_str() const;
    unsigned length() const { return size; }
    char at(unsigned position) const;

    // count 0 means up to the first zero byte.
    void append(const char* bytes, unsigned count = 0);
    void append(const Tmy_string* other);
    void assign(const char* text);
    void assign(const Tmy_string* other);

    // printf-style formatting with three text conversions of its own: %a
    // (backslash before ' " and \), %m (XML escaping), %r (URL encoding).
    // No compiler format check: %a and %m mean something else to printf.
    void format(const char* fmt, ...);
    void appendFormat(const char* fmt, ...);
    void vappendFormat(const char* fmt, va_list args);

    // mode 1: other bytes as a backslash and two upper-case hex digits;
    // any other mode drops them.
    void appendEscaped(const char* text, unsigned count, int mode);
    void appendUnescaped(const char* text, unsigned count);
    // The text escaped for XML as %m does; with keep_from_128 the bytes from
    // 128 up stay as they are instead of becoming character references.
    void appendXmlEscaped(const char* text, bool keep_from_128);
    void trim();
    int toInt() const;

    unsigned getCapacity() const { return capacity; }

private:
    void append_bytes(const char* bytes, unsigned count);
    const char* apart(const char* text, unsigned count, Tmy_string* copy) const;
    void take(Tmy_string* other);
    const char* append_conversion(const char* percent, va_list* args);
    void append_converted(char conversion, const char* directive, va_list* args);
    void append_backslashed(const char* text);
    void append_url(const char* text);

    unsigned capacity = 0;
    unsigned size = 0;
    char* buffer = nullptr;
};

// Formats one line into the log pane of the current mode and channel.
// Formatted as Tmy_string::format.
void log_printf(const char* fmt, ...);

// Where log_printf's lines end. The bridge installs log_append; tests may
// install their own. Without a sink the lines are dropped.
using Tlog_sink = void (*)(const char* line);
void set_log_sink(Tlog_sink sink);
