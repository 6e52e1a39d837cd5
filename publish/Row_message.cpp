#include "publish/Row_message.h"

#include <cstdio>

#include "events/Lib_time.h"
#include "view/Saved_table.h"

namespace {

enum Tcolumn { COL_TIMESTAMP, COL_DELTA_A = 3, COL_TEMPERATURE = 7, COL_PPB_A = 8, COL_NTU = 11 };

constexpr int BREAK_DOWN_UTC = 0;

void put_string(const std::string& text, std::string* json)
{
    json->push_back('"');
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            json->push_back('\\');
            json->push_back(char(c));
        } else if (c < 0x20) {
            static const char HEX[] = "0123456789abcdef";
            json->append("\\u00");
            json->push_back(HEX[c >> 4]);
            json->push_back(HEX[c & 15]);
        } else {
            json->push_back(char(c));
        }
    }
    json->push_back('"');
}

// A value cell, already read as one, as the table wrote it; null for "-".
void put_value(std::string_view cell, std::string* json)
{
    json->append(cell == "-" ? std::string_view("null") : cell);
}

void put_utc(int32_t timestamp, std::string* json)
{
    Tbroken_time t;
    break_down_time(&t, timestamp, BREAK_DOWN_UTC);
    char text[80];
    std::snprintf(text, sizeof text, "\"%04d-%02d-%02dT%02d:%02d:%02dZ\"", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    json->append(text);
}

void put_lamps(const Tsaved_cells& cells, int first, int lamps, std::string* json)
{
    static const char* const NAMES[] = {"\"A\":", "\"B\":", "\"C\":", "\"T\":"};
    json->push_back('{');
    for (int lamp = 0; lamp < lamps; ++lamp) {
        if (lamp > 0) json->push_back(',');
        json->append(NAMES[lamp]);
        put_value(cells[first + lamp], json);
    }
    json->push_back('}');
}

}  // namespace

bool row_message(std::string_view line, const std::string& station, unsigned long seq, std::string* json,
                 std::string* error)
{
    Tsaved_cells cells;
    Tmeasure_row row;
    if (!split_saved_line(line, &cells, error) || !read_measure_row(cells, &row, error)) return false;
    json->assign("{\"station\":");
    put_string(station, json);
    json->append(",\"seq\":" + std::to_string(seq) + ",\"time\":");
    json->append(cells[COL_TIMESTAMP]);
    json->append(",\"utc\":");
    put_utc(row.timestamp, json);
    json->append(",\"delta_mV\":");
    put_lamps(cells, COL_DELTA_A, 4, json);
    json->append(",\"ppb\":");
    put_lamps(cells, COL_PPB_A, 3, json);
    json->append(",\"ntu\":");
    put_value(cells[COL_NTU], json);
    json->append(",\"temp_C\":");
    put_value(cells[COL_TEMPERATURE], json);
    json->push_back('}');
    return true;
}

std::string_view row_timestamp(std::string_view line)
{
    const size_t end = line.find(';');
    return end == std::string_view::npos ? std::string_view() : line.substr(0, end);
}
