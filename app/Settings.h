#pragma once
#include "events/List.h"
#include "events/My_string.h"

struct Tsettings_entry {
    Tmy_string key;
    Tmy_string value;
};

// The key/value store kept in "lumo2.cfg".
class Tsettings {
public:
    Tsettings();
    ~Tsettings();
    Tsettings(const Tsettings&) = delete;
    Tsettings& operator=(const Tsettings&) = delete;

    void load(const char* file_name);
    void read();
    // 1 when the file was written, 0 when it could not be (the old file is
    // then left as it was).
    int save();
    const char* getValue(const char* key, const char* default_text, bool* found = nullptr);
    int getInt(const char* key, int default_value);
    void setValue(const char* key, const char* value);
    void setInt(const char* key, int value);
    void clear();

    Tmy_string path;
    Tmy_string directory;
    Ttyped_list<Tsettings_entry> entries;
    int line_count = 0;
};
