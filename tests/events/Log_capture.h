#pragma once
#include <string>
#include <vector>

#include "events/My_string.h"

// Collects log_printf's lines while alive.
class Log_capture {
public:
    Log_capture()
    {
        lines().clear();
        set_log_sink(&record);
    }
    ~Log_capture() { set_log_sink(nullptr); }
    static std::vector<std::string>& lines()
    {
        static std::vector<std::string> captured;
        return captured;
    }

private:
    static void record(const char* line) { lines().push_back(line); }
};
