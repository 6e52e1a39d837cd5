#include "analysis/Logger_file.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "analysis/Input_text.h"
#include "analysis/Time_text.h"

namespace {

constexpr std::string_view UTF8_MARK = "\xEF\xBB\xBF";

char separator_of(std::string_view header)
{
    for (const char separator : {';', '\t'})
        if (header.find(separator) != std::string_view::npos)
            return separator;
    return ',';
}

std::string_view trimmed(std::string_view cell)
{
    while (!cell.empty() && (cell.front() == ' ' || cell.front() == '\t'))
        cell.remove_prefix(1);
    while (!cell.empty() && (cell.back() == ' ' || cell.back() == '\t'))
        cell.remove_suffix(1);
    if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"')
        cell = cell.substr(1, cell.size() - 2);
    return cell;
}

std::vector<std::string_view> cells_of(std::string_view line, char separator)
{
    std::vector<std::string_view> cells;
    for (;;) {
        const size_t end = line.find(separator);
        cells.push_back(trimmed(line.substr(0, end)));
        if (end == std::string_view::npos)
            return cells;
        line.remove_prefix(end + 1);
    }
}

// The header's index of each column asked for (the time first, then the
// lamps; npos for a lamp left out); false with the fault.
bool column_indexes(const std::vector<std::string_view>& header, const Tlogger_columns& columns,
                    std::vector<size_t>* indexes, std::string* error)
{
    std::string names;
    for (std::string_view name : header)
        names += (names.empty() ? "" : ", ") + std::string(name);
    std::vector<std::string> wanted = {columns.time};
    wanted.insert(wanted.end(), std::begin(columns.lamp), std::end(columns.lamp));
    for (const std::string& name : wanted) {
        if (name.empty()) {
            indexes->push_back(std::string_view::npos);
            continue;
        }
        const auto found = std::find(header.begin(), header.end(), name);
        if (found == header.end()) {
            *error = "line 1: column \"" + name + "\" is not in the header (" + names + ")";
            return false;
        }
        indexes->push_back(size_t(found - header.begin()));
    }
    return true;
}

bool read_value(std::string_view cell, char separator, double* value)
{
    std::string number(cell);
    if (separator != ',')
        std::replace(number.begin(), number.end(), ',', '.');
    return parse_number_text(number, value);
}

}  // namespace

bool read_logger_file(std::string_view text, const Tlogger_columns& columns, const Ttime_zone& zone,
                      Tlamp_series* series, std::string* error)
{
    if (text.starts_with(UTF8_MARK))
        text.remove_prefix(UTF8_MARK.size());
    std::string_view line;
    if (!next_text_line(&text, &line)) {
        *error = "line 1: no header line";
        return false;
    }
    const char separator = separator_of(line);
    std::vector<size_t> indexes;
    const size_t header_cells = cells_of(line, separator).size();
    if (!column_indexes(cells_of(line, separator), columns, &indexes, error))
        return false;
    for (auto& points : *series)
        points.clear();
    double previous = -std::numeric_limits<double>::infinity();
    size_t rows = 0;
    for (int number = 2; next_text_line(&text, &line); ++number) {
        if (trimmed(line).empty())
            continue;
        std::vector<std::string_view> cells = cells_of(line, separator);
        const std::string where = "line " + std::to_string(number) + ": ";
        while (cells.size() > header_cells && cells.back().empty())
            cells.pop_back();
        if (cells.size() > header_cells) {
            *error = where + std::to_string(cells.size()) + " cells where the header has " +
                     std::to_string(header_cells) + (separator == ',' ? " (a decimal comma in a \",\" file?)" : "");
            return false;
        }
        const auto cell = [&](size_t index) { return index < cells.size() ? cells[index] : std::string_view(); };
        double t = 0;
        std::string fault;
        if (!parse_zoned_time_text(cell(indexes[0]), zone, previous, &t, &fault)) {
            *error = where + "column \"" + columns.time + "\": " + fault;
            return false;
        }
        previous = t;
        ++rows;
        for (int lamp = 0; lamp < TRACER_LAMPS; ++lamp) {
            const size_t index = indexes[size_t(lamp) + 1];
            if (index == std::string_view::npos || cell(index).empty())
                continue;
            double value = 0;
            if (!read_value(cell(index), separator, &value)) {
                *error = where + "column \"" + columns.lamp[lamp] + "\": \"" + std::string(cell(index)) +
                         "\" is not a number";
                return false;
            }
            (*series)[size_t(lamp)].push_back({t, value});
        }
    }
    if (rows == 0) {
        *error = "line 2: no rows after the header";
        return false;
    }
    for (auto& points : *series)
        sort_and_merge(&points);
    return true;
}
