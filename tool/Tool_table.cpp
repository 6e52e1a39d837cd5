#include "tool/Tool_table.h"

#include <charconv>
#include <cmath>

#include "events/Lib_cpp.h"

namespace {

std::string header_line()
{
    std::string line;
    for (int column = 0; column < Tmeasure_table::COLUMNS; ++column) {
        line += Tmeasure_table::header(column);
        line += ';';
    }
    return line;
}

// The next line without its LF and a CR before it; false at the end.
bool next_line(std::string_view* text, std::string_view* line)
{
    if (text->empty())
        return false;
    const size_t end = text->find('\n');
    *line = text->substr(0, end);
    text->remove_prefix(end == std::string_view::npos ? text->size() : end + 1);
    if (!line->empty() && line->back() == '\r')
        line->remove_suffix(1);
    return true;
}

bool split_cells(std::string_view line, Ttool_table_row* row, std::string* error)
{
    size_t cells = 0;
    size_t start = 0;
    for (size_t end; (end = line.find(';', start)) != std::string_view::npos; start = end + 1) {
        if (cells < row->size())
            (*row)[cells] = line.substr(start, end - start);
        ++cells;
    }
    if (cells == row->size() && start == line.size())
        return true;
    *error = std::to_string(cells) + " cells";
    if (start != line.size())
        *error += " and text after the last \";\"";
    *error += ", the table has " + std::to_string(row->size()) + " each followed by \";\"";
    return false;
}

}  // namespace

bool tool_read_table(std::string_view text, std::vector<Ttool_table_row>* rows, std::string* error)
{
    rows->clear();
    std::string_view line;
    if (!next_line(&text, &line) || line != header_line()) {
        *error = "line 1: not the measurement table's header \"" + header_line() + "\"";
        return false;
    }
    for (int number = 2; next_line(&text, &line); ++number) {
        Ttool_table_row row;
        std::string fault = "empty line";
        if (line.empty() || !split_cells(line, &row, &fault)) {
            *error = "line " + std::to_string(number) + ": " + fault;
            return false;
        }
        rows->push_back(std::move(row));
    }
    return true;
}

void tool_write_table(const std::vector<Ttool_table_row>& rows, std::string* text)
{
    *text = header_line() + "\r\n";
    for (const Ttool_table_row& row : rows) {
        for (const std::string& cell : row) {
            *text += cell;
            *text += ';';
        }
        *text += "\r\n";
    }
}

bool tool_read_delta(const std::string& cell, float* value)
{
    if (cell == "-") {
        *value = undefined_float();
        return true;
    }
    const char* end = cell.data() + cell.size();
    const auto [stop, failure] = std::from_chars(cell.data(), end, *value, std::chars_format::fixed);
    return failure == std::errc() && stop == end && !cell.empty() && std::isfinite(*value) &&
           !is_undefined(*value);
}
