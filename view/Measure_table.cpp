#include "view/Measure_table.h"

#include <algorithm>

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

void format_value(Tmy_string* out, const char* format, float value) {
    if (is_undefined(value))
        out->format("%s", "-");
    else
        out->format(format, static_cast<double>(value));
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
    const Tmeasure_row& r = rows[data_row];
    if (column == COL_TIMESTAMP) {
        out->format("%lu", static_cast<unsigned long>(static_cast<uint32_t>(r.timestamp)));
    } else if (column == COL_DATE) {
        Tbroken_time t;
        break_down_time(&t, r.timestamp, BREAK_DOWN_UTC);
        out->format("%02d.%02d.%04d %02d:%02d:%02d", t.day, t.month, t.year, t.hour, t.minute, t.second);
    } else if (column == COL_GMT) {
        out->format("%s", "0");
    } else if (column >= COL_DELTA_A && column <= COL_DELTA_T) {
        format_value(out, "%0.3f", r.delta[column - COL_DELTA_A]);
    } else if (column == COL_TEMPERATURE) {
        format_value(out, "%0.2f", r.temperature);
    } else if (column >= COL_PPB_A && column < COL_NTU) {
        format_value(out, "%0.3f", r.ppb[column - COL_PPB_A]);
    } else if (column == COL_NTU) {
        format_value(out, "%0.3f", r.ntu);
    }
}

void Tmeasure_table::table_text(std::string* out) const {
    out->clear();
    // About 100 bytes a row; reserving avoids regrowing a text of megabytes.
    out->reserve((rows.size() + 1) * 112);
    for (const char* text : HEADERS) {
        out->append(text);
        out->push_back(';');
    }
    out->append("\r\n");
    Tmy_string cell;
    for (unsigned r = 0; r < rows.size(); ++r) {
        for (int column = 0; column < COLUMNS; ++column) {
            cell_text(r, column, &cell);
            out->append(cell.c_str(), cell.length());
            out->push_back(';');
        }
        out->append("\r\n");
    }
}
