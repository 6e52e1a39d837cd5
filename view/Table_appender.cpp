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

}  // namespace

bool Ttable_appender::open(const char* path, std::string* error, std::vector<Tmeasure_row>* rows)
{
    rows_in_file = 0;
    length = 0;
    std::string content;
    if (!file.open(path, error) || !file.read_all(&content, error)) {
        close();
        return false;
    }
    // An empty file, or one holding the start of the header: created here
    // and cut off before its header was whole.
    const std::string header = header_text();
    const bool headless = content.size() < header.size() && header.compare(0, content.size(), content) == 0;
    const bool ok = headless ? file.truncate(0, error) && file.write_all(header.data(), header.size(), error)
                             : continue_table(std::move(content), error, rows);
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
    const std::string header = header_text();
    if (!file.create(path, exists, error)) return false;
    if (!file.write_all(header.data(), header.size(), error)) {
        close();
        return false;
    }
    length = header.size();
    return true;
}

// Accepts only what the table writes, byte for byte: the rows read are
// written again and compared, so that rows appended later never follow a
// line of another form.
bool Ttable_appender::continue_table(std::string content, std::string* error, std::vector<Tmeasure_row>* rows)
{
    content.resize(complete_length(content));
    std::vector<Tmeasure_row> found;
    const bool read = read_saved_table(
        content,
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
    if (written != content) {
        const auto differ = std::mismatch(written.begin(), written.end(), content.begin(), content.end());
        *error = "not a measurement table: line " +
                 std::to_string(line_of(content, static_cast<size_t>(differ.second - content.begin()))) +
                 " is not as the table writes it";
        return false;
    }
    if (!file.truncate(content.size(), error)) return false;
    length = content.size();
    rows_in_file = static_cast<unsigned>(found.size());
    if (rows) rows->insert(rows->end(), found.begin(), found.end());
    return true;
}

bool Ttable_appender::append_row(const Tmeasure_row& row, std::string* error)
{
    return write_row(row, error) && sync(error);
}

bool Ttable_appender::write_row(const Tmeasure_row& row, std::string* error)
{
    line.clear();
    Tmeasure_table::row_text(row, &line);
    if (!file.write_all(line.data(), line.size(), error)) {
        if (!file.truncate(length, nullptr)) close();
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
    return lines > 0 ? static_cast<unsigned>(lines - 1) : 0;
}
