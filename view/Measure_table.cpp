#include "view/Measure_table.h"

#include <algorithm>
#include <charconv>

#include "events/Lib_cpp.h"
#include "events/Lib_time.h"
#include "events/My_string.h"
#include "link/Lumo_data.h"

namespace {

const char* const HEADERS[Tmeasure_table::COLUMNS] = {
    "Timestamp", "Date",  "GMT",   "delta A", "delta B", "delta C",
    "delta T",   "Temp",  "ppb A", "ppb B",   "ppb C",   "NTU",
};

enum Tcolumn {
    COL_TIMESTAMP,
    COL_DATE,
    COL_GMT,
    COL_DELTA_A,
    COL_DELTA_T = COL_DELTA_A + 3,
    COL_TEMPERATURE,
    COL_PPB_A,
    COL_NTU = COL_PPB_A + 3,
};

constexpr int BREAK_DOWN_UTC = 0;

// Room for the widest cell: a float's largest value in fixed notation.
constexpr size_t CELL_CHARS = 64;

// Cells are written with std::to_chars rather than printf: it gives the same
// characters for these formats, whatever the locale, at a fraction of the
// cost, which counts when a month of rows is saved.
char* put_unsigned(char* out, uint32_t value) {
    return std::to_chars(out, out + CELL_CHARS, value).ptr;
}

// "%0<width>d" for the non-negative fields of a date.
char* put_padded(char* out, int value, int width) {
    char digits[16];
    char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (int pad = width - static_cast<int>(end - digits); pad > 0; --pad) *out++ = '0';
    return std::copy(digits, end, out);
}

// "%0.<decimals>f" of the value as a double, or "-" when undefined.
char* put_value(char* out, float value, int decimals) {
    if (is_undefined(value)) {
        *out++ = '-';
        return out;
    }
    return std::to_chars(out, out + CELL_CHARS, static_cast<double>(value), std::chars_format::fixed, decimals).ptr;
}

// Writes the text of one data cell into out (CELL_CHARS at least); returns
// its end.
char* put_cell(char* out, const Tmeasure_row& r, int column) {
    if (column == COL_TIMESTAMP) return put_unsigned(out, static_cast<uint32_t>(r.timestamp));
    if (column == COL_DATE) {
        Tbroken_time t;
        break_down_time(&t, r.timestamp, BREAK_DOWN_UTC);
        out = put_padded(out, t.day, 2);
        *out++ = '.';
        out = put_padded(out, t.month, 2);
        *out++ = '.';
        out = put_padded(out, t.year, 4);
        *out++ = ' ';
        out = put_padded(out, t.hour, 2);
        *out++ = ':';
        out = put_padded(out, t.minute, 2);
        *out++ = ':';
        return put_padded(out, t.second, 2);
    }
    if (column == COL_GMT) {
        *out++ = '0';
        return out;
    }
    if (column >= COL_DELTA_A && column <= COL_DELTA_T) return put_value(out, r.delta[column - COL_DELTA_A], 3);
    if (column == COL_TEMPERATURE) return put_value(out, r.temperature, 2);
    if (column >= COL_PPB_A && column < COL_NTU) return put_value(out, r.ppb[column - COL_PPB_A], 3);
    if (column == COL_NTU) return put_value(out, r.ntu, 3);
    return out;
}

}  // namespace

const char* Tmeasure_table::header(int column) {
    return column >= 0 && column < COLUMNS ? HEADERS[column] : "";
}

void Tmeasure_table::add_listener(Tmeasure_table_listener* listener) {
    if (listener && std::find(listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back(listener);
}

void Tmeasure_table::remove_listener(Tmeasure_table_listener* listener) {
    listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
}

void Tmeasure_table::table_clear() {
    for (Tmeasure_table_listener* listener : listeners) listener->table_about_to_clear();
    rows.clear();
    for (Tmeasure_table_listener* listener : listeners) listener->table_cleared();
}

void Tmeasure_table::table_add(const Tlumo_measure* record) {
    if (!record) return;
    Tmeasure_row row;
    row.timestamp = record->timestamp;
    for (int lamp = 0; lamp < 4; ++lamp) row.delta[lamp] = record->delta[lamp];
    row.temperature = record->temperature;
    row.ppb[0] = record->ppb_a;
    row.ppb[1] = record->ppb_b;
    row.ppb[2] = record->ppb_c;
    row.ntu = record->ntu;
    for (Tmeasure_table_listener* listener : listeners) listener->row_about_to_be_added(data_rows());
    rows.push_back(row);
    for (Tmeasure_table_listener* listener : listeners) listener->row_added();
}

void Tmeasure_table::cell_text(unsigned data_row, int column, Tmy_string* out) const {
    out->format("%s", "");
    if (data_row >= rows.size()) return;
    char text[CELL_CHARS];
    const char* end = put_cell(text, rows[data_row], column);
    if (end > text) out->append(text, static_cast<unsigned>(end - text));
}

void Tmeasure_table::header_text(std::string* out) {
    for (const char* text : HEADERS) {
        out->append(text);
        out->push_back(';');
    }
    out->append("\r\n");
}

void Tmeasure_table::row_text(const Tmeasure_row& row, std::string* out) {
    // The line is built in place, then appended whole.
    char line[COLUMNS * (CELL_CHARS + 1) + 2];
    char* end = line;
    for (int column = 0; column < COLUMNS; ++column) {
        end = put_cell(end, row, column);
        *end++ = ';';
    }
    *end++ = '\r';
    *end++ = '\n';
    out->append(line, static_cast<size_t>(end - line));
}

void Tmeasure_table::table_text(std::string* out) const {
    out->clear();
    // About 100 bytes a row; reserving avoids regrowing a text of megabytes.
    out->reserve((rows.size() + 1) * 112);
    header_text(out);
    for (const Tmeasure_row& r : rows) row_text(r, out);
}
