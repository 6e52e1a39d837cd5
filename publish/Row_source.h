#pragma once
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "publish/Published_state.h"

// One row as the table file holds it.
struct Tstored_row {
    unsigned long seq;  // 1 for the first row after the header
    uint64_t offset;    // where its line begins in the file
    std::string line;   // without its line end
};

// Reads the rows of a saved table or journal while another program appends
// to it: only lines complete with their line end are taken, so a row being
// written is read once it is whole.
class Trow_source {
public:
    // Opens the table and goes past its header and the rows acknowledged.
    // When the acknowledged row is not in the table as it was (a table begun
    // afresh under the same name), *matched is false and reading starts at
    // the first row. False, with the reason, for a file that cannot be read
    // or does not begin with the table's header.
    bool open(const std::string& path, const Tpublished_state& acknowledged, bool* matched, std::string* error);
    // Up to max complete rows from the read position, which moves past them.
    bool read(size_t max, std::vector<Tstored_row>* rows, std::string* error);
    // Reading goes on at row seq, whose line begins at offset.
    void seek(unsigned long seq, uint64_t offset);
    unsigned long next_seq() const { return seq; }
    uint64_t next_offset() const { return offset; }

private:
    bool skip_header(std::string* error);
    bool read_lines(size_t max, std::vector<std::string>* lines, std::string* error);

    std::string path;
    std::ifstream file;
    unsigned long seq = 1;
    uint64_t offset = 0;
    std::string chunk;
};
