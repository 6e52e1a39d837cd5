#include "publish/Row_source.h"

#include <algorithm>

#include "view/Measure_table.h"

namespace {

// Enough for a few rows when few are wanted, so that rows sent one at a
// time do not read a large block each.
constexpr size_t LARGEST_CHUNK = 1 << 16;
constexpr size_t BYTES_PER_ROW = 160;
constexpr size_t LONGEST_LINE = 1 << 20;
constexpr size_t SKIP_ROWS_AT_ONCE = 4096;

}  // namespace

bool Trow_source::open(const std::string& table, const Tpublished_state& acknowledged, bool* matched,
                       std::string* error)
{
    path = table;
    file.close();
    file.open(path, std::ios::binary);
    seq = 1;
    offset = 0;
    if (!file) {
        *error = "cannot be read";
        return false;
    }
    if (!skip_header(error)) return false;
    const uint64_t first_row = offset;
    std::vector<Tstored_row> rows;
    std::string last_timestamp;
    while (seq <= acknowledged.seq) {
        rows.clear();
        const size_t wanted = size_t(std::min<unsigned long>(acknowledged.seq - seq + 1, SKIP_ROWS_AT_ONCE));
        if (!read(wanted, &rows, error)) return false;
        if (rows.empty()) break;
        last_timestamp = rows.back().line.substr(0, rows.back().line.find(';'));
    }
    *matched = seq == acknowledged.seq + 1 && (acknowledged.seq == 0 || last_timestamp == acknowledged.timestamp);
    if (!*matched) seek(1, first_row);
    return true;
}

bool Trow_source::skip_header(std::string* error)
{
    std::vector<std::string> lines;
    std::string header;
    Tmeasure_table::header_text(&header);
    header.resize(header.size() - 2);
    if (!read_lines(1, &lines, error)) return false;
    if (lines.empty() || lines.front() == header + "\r") return true;
    *error = "not a measurement table: line 1 is not the table's header";
    return false;
}

bool Trow_source::read(size_t max, std::vector<Tstored_row>* rows, std::string* error)
{
    std::vector<std::string> lines;
    const uint64_t begin = offset;
    if (!read_lines(max, &lines, error)) return false;
    uint64_t at = begin;
    for (std::string& line : lines) {
        const uint64_t next = at + line.size() + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        rows->push_back({seq++, at, std::move(line)});
        at = next;
    }
    return true;
}

// Complete lines from offset, each still with its CR; offset moves past
// their LF.
bool Trow_source::read_lines(size_t max, std::vector<std::string>* lines, std::string* error)
{
    chunk.resize(std::clamp(max * BYTES_PER_ROW, BYTES_PER_ROW, LARGEST_CHUNK));
    while (lines->size() < max) {
        file.clear();
        file.seekg(std::streamoff(offset));
        file.read(chunk.data(), std::streamsize(chunk.size()));
        const size_t got = size_t(file.gcount());
        if (file.bad()) {
            *error = "cannot be read";
            return false;
        }
        size_t start = 0;
        for (size_t end; lines->size() < max && (end = chunk.find('\n', start)) < got; start = end + 1)
            lines->push_back(chunk.substr(start, end - start));
        offset += start;
        if (got < chunk.size()) break;
        // A full chunk without a line end: a longer line, read again whole.
        if (start == 0 && chunk.size() >= LONGEST_LINE) {
            *error = "a line longer than " + std::to_string(LONGEST_LINE) + " bytes at byte " + std::to_string(offset);
            return false;
        }
        if (start == 0) chunk.resize(chunk.size() * 2);
    }
    return true;
}

void Trow_source::seek(unsigned long row, uint64_t at)
{
    seq = row;
    offset = at;
}
