#pragma once
#include <string>

// The last row of a table the broker acknowledged, kept beside the table in
// "<table>.published" as one line "acknowledged <seq> <timestamp>", so that
// a restart goes on after it. The row's timestamp cell tells a table
// started afresh under the same name from the one acknowledged.
struct Tpublished_state {
    unsigned long seq = 0;  // 0: nothing acknowledged
    std::string timestamp;
};

std::string published_state_path(const std::string& table);

// A missing file is nothing acknowledged. False, with the reason, for a
// file that cannot be read or is not such a line.
bool read_published_state(const std::string& table, Tpublished_state* state, std::string* error);
// Replaces the file whole and synced.
bool write_published_state(const std::string& table, const Tpublished_state& state, std::string* error);
