#include "view/Table_appender.h"

#include <algorithm>

#include "view/Saved_table.h"

namespace {

std::string header_text()
{
    std::string header;
    Tmeasure_table::header_text(&header);
    return header;
}

// The length of the content's lines that end in CR LF.
size_t complete_length(const std::string& content)
{
    const size_t end = content.rfind("\r\n");
    return end == std::string::npos ? 0 : end + 2;
}

// The line number, from 1, of the byte at offset.
size_t line_of(const std::string& text, size_t offset)
{
    return 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n'));
}

// The first line end that is a bare LF; npos when every one is CR LF.
size_t bare_line_feed(const std::string& content)
{
    for (size_t at = content.find('\n'); at != std::string::npos; at = content.find('\n', at + 1))
        if (at == 0 || content[at - 1] != '\r') return at;
    return std::string::npos;
}

// What follows the last CR LF, as a row that lacks only its line end and
// the bytes no row can be made of: a row cut short, the zeros a power
// failure leaves at the end.
struct Ttail {
    std::string row;
    std::string line_end;
    std::string dropped;
};

Ttail split_tail(const std::string& tail)
{
    Ttail split;
    const size_t zeros = tail.find_last_not_of('\0') + 1;
    std::string body = tail.substr(0, zeros);
    const bool ends_in_cr = !body.empty() && body.back() == '\r';
    const size_t cells = static_cast<size_t>(std::count(body.begin(), body.end(), ';'));
    if (cells < Tmeasure_table::COLUMNS) {
        split.dropped = tail;
        return split;
    }
    split.line_end = ends_in_cr ? "\n" : "\r\n";
    split.row = std::move(body);
    split.dropped = tail.substr(zeros);
    return split;
}

// The first cell of the text read that is not as the table writes it.
std::string first_difference(const std::string& written, const std::string& read)
{
    const size_t at = static_cast<size_t>(
        std::mismatch(written.begin(), written.end(), read.begin(), read.end()).second - read.begin());
    const size_t line_start = at == 0 ? 0 : read.rfind('\n', at - 1) + 1;
    const size_t cell_start = std::max(line_start, at == 0 ? 0 : read.rfind(';', at - 1) + 1);
    const auto column =
        std::count(read.begin() + static_cast<long>(line_start), read.begin() + static_cast<long>(at), ';');
    const std::string where = "line " + std::to_string(line_of(read, at));
    if (column >= Tmeasure_table::COLUMNS) return where + " is not as the table writes it";
    auto cell = [cell_start](const std::string& text) {
        return text.substr(cell_start, text.find_first_of(";\r\n", cell_start) - cell_start);
    };
    return where + ", cell \"" + Tmeasure_table::header(static_cast<int>(column)) + "\" is \"" + cell(read) +
           "\" where the table writes \"" + cell(written) + "\"";
}

}  // namespace

bool Ttable_appender::open(const char* path, std::string* error, std::vector<Tmeasure_row>* rows)
{
    rows_in_file = 0;
    length = 0;
    damaged = false;
    held_elsewhere = false;
    dropped = 0;
    kept_path = std::string(path ? path : "") + ".dropped";
    std::string content;
    std::string holder;
    if (!file.open(path, error)) return false;
    if (!file.lock(&holder)) {
        held_elsewhere = true;
        if (error) *error = "is being written by " + holder;
        close();
        return false;
    }
    if (!file.read_all(&content, error)) {
        close();
        return false;
    }
    // An empty file, or one holding the start of the header: created here
    // and cut off before its header was whole.
    const std::string header = header_text();
    const bool headless = content.size() < header.size() && header.compare(0, content.size(), content) == 0;
    const bool ok = headless ? file.truncate(0, error) && file.write_all(header.data(), header.size(), error)
                             : continue_table(content, error, rows);
    if (!ok) {
        close();
        return false;
    }
    if (headless) length = header.size();
    return true;
}

bool Ttable_appender::create(const char* path, bool* exists, std::string* error)
{
    rows_in_file = 0;
    length = 0;
    damaged = false;
    held_elsewhere = false;
    dropped = 0;
    const std::string header = header_text();
    if (!file.create(path, exists, error)) return false;
    file.lock(nullptr);
    if (!file.write_all(header.data(), header.size(), error)) {
        close();
        return false;
    }
    length = header.size();
    return true;
}

// Accepts only what the table writes, byte for byte: the rows read are
// written again and compared, so that rows appended later never follow a
// line of another form. Nothing is changed before the whole file is found
// good.
bool Ttable_appender::continue_table(const std::string& content, std::string* error,
                                     std::vector<Tmeasure_row>* rows)
{
    const size_t bare = bare_line_feed(content);
    if (bare != std::string::npos) {
        *error = "not a measurement table: line " + std::to_string(line_of(content, bare)) + " ends in LF, not CR LF";
        return false;
    }
    const size_t complete = complete_length(content);
    const Ttail tail = split_tail(content.substr(complete));
    const std::string table = content.substr(0, complete) + tail.row + tail.line_end;
    std::vector<Tmeasure_row> found;
    const bool read = read_saved_table(
        table,
        [&found](const Tsaved_cells& cells, std::string* fault) {
            return read_measure_row(cells, &found.emplace_back(), fault);
        },
        error);
    if (!read) {
        *error = "not a measurement table: " + *error;
        return false;
    }
    std::string written = header_text();
    for (const Tmeasure_row& row : found) Tmeasure_table::row_text(row, &written);
    if (written != table) {
        *error = "not a measurement table: " + first_difference(written, table);
        return false;
    }
    if (!tail.dropped.empty() && !keep_dropped(tail.dropped, error)) return false;
    if (!file.truncate(complete + tail.row.size(), error)) return false;
    if (!file.write_all(tail.line_end.data(), tail.line_end.size(), error)) return false;
    dropped = tail.dropped.size();
    length = table.size();
    rows_in_file = static_cast<unsigned>(found.size());
    if (rows) rows->insert(rows->end(), found.begin(), found.end());
    return true;
}

// Nothing the file held is destroyed: bytes dropped from it are kept
// beside it first.
bool Ttable_appender::keep_dropped(const std::string& bytes, std::string* error)
{
    Tappend_file kept;
    std::string reason;
    if (kept.open(kept_path.c_str(), &reason) && kept.write_all(bytes.data(), bytes.size(), &reason) &&
        kept.sync(&reason))
        return true;
    *error = "the end of its last line cannot be kept in \"" + kept_path + "\": " + reason;
    return false;
}

bool Ttable_appender::append_row(const Tmeasure_row& row, std::string* error)
{
    return write_row(row, error) && sync(error);
}

bool Ttable_appender::write_row(const Tmeasure_row& row, std::string* error)
{
    if (damaged && !file.truncate(length, nullptr)) {
        if (error) *error = "the file ends with part of a row that could not be removed";
        return false;
    }
    damaged = false;
    line.clear();
    Tmeasure_table::row_text(row, &line);
    if (!file.write_all(line.data(), line.size(), error)) {
        damaged = !file.truncate(length, nullptr);
        return false;
    }
    length += line.size();
    ++rows_in_file;
    return true;
}

unsigned Ttable_appender::complete_rows_in(const std::string& content)
{
    const size_t complete = complete_length(content);
    const auto lines = std::count(content.begin(), content.begin() + static_cast<long>(complete), '\n');
    const bool row_without_line_end = lines > 0 && !split_tail(content.substr(complete)).row.empty();
    return lines > 0 ? static_cast<unsigned>(lines - 1 + row_without_line_end) : 0;
}
