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

    void format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void appendFormat(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void vappendFormat(const char* fmt, va_list args);

    // mode 1: other bytes as a backslash and two upper-case hex digits;
    // any other mode drops them.
    void appendEscaped(const char* text, unsigned count, int mode);
    void appendUnescaped(const char* text, unsigned count);
    void trim();
    int toInt() const;

    unsigned getCapacity() const { return capacity; }

private:
    unsigned capacity = 0;
    unsigned size = 0;
    char* buffer = nullptr;
};

// Formats one line into the log pane of the current mode and channel.
void log_printf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Where log_printf's lines end. The bridge installs log_append; tests may
// install their own. Without a sink the lines are dropped.
using Tlog_sink = void (*)(const char* line);
void set_log_sink(Tlog_sink sink);
