#include "view/Saved_table.h"

#include <charconv>
#include <cmath>

#include "events/Lib_cpp.h"

namespace {

enum Tcolumn { COL_TIMESTAMP, COL_DELTA_A = 3, COL_TEMPERATURE = 7, COL_PPB_A = 8, COL_NTU = 11 };

std::string header_line()
{
    std::string line;
    Tmeasure_table::header_text(&line);
    line.resize(line.size() - 2);
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

bool read_timestamp(std::string_view cell, int32_t* timestamp)
{
    uint32_t value = 0;
    const char* end = cell.data() + cell.size();
    const auto [stop, failure] = std::from_chars(cell.data(), end, value);
    *timestamp = static_cast<int32_t>(value);
    return failure == std::errc() && stop == end && !cell.empty();
}

}  // namespace

bool split_saved_line(std::string_view line, Tsaved_cells* row, std::string* error)
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

bool read_saved_table(std::string_view text,
                      const std::function<bool(const Tsaved_cells& cells, std::string* fault)>& on_row,
                      std::string* error)
{
    std::string_view line;
    if (!next_line(&text, &line) || line != header_line()) {
        *error = "line 1: not the measurement table's header \"" + header_line() + "\"";
        return false;
    }
    for (int number = 2; next_line(&text, &line); ++number) {
        Tsaved_cells row;
        std::string fault = "empty line";
        if (line.empty() || !split_saved_line(line, &row, &fault) || !on_row(row, &fault)) {
            *error = "line " + std::to_string(number) + ": " + fault;
            return false;
        }
    }
    return true;
}

bool read_saved_value(std::string_view cell, float* value)
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

bool read_measure_row(const Tsaved_cells& cells, Tmeasure_row* row, std::string* fault)
{
    float* values[Tmeasure_table::COLUMNS] = {};
    for (int lamp = 0; lamp < 4; ++lamp) values[COL_DELTA_A + lamp] = &row->delta[lamp];
    values[COL_TEMPERATURE] = &row->temperature;
    for (int lamp = 0; lamp < 3; ++lamp) values[COL_PPB_A + lamp] = &row->ppb[lamp];
    values[COL_NTU] = &row->ntu;
    for (int column = 0; column < Tmeasure_table::COLUMNS; ++column) {
        const bool read = column == COL_TIMESTAMP ? read_timestamp(cells[column], &row->timestamp)
                          : values[column]        ? read_saved_value(cells[column], values[column])
                                                  : true;
        if (read) continue;
        *fault = std::string("column \"") + Tmeasure_table::header(column) + "\": \"" + std::string(cells[column]) +
                 "\" is not a value of the table";
        return false;
    }
    return true;
}
