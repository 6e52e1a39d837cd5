#include "app/Tool_conversion.h"

#include <cstdint>
#include <cstring>

#include "events/Lib_cpp.h"
#include "events/My_string.h"
#include "link/Lumo_data.h"

namespace {

constexpr int PPB_A_COLUMN = 8;
constexpr int RESULT_COLUMNS = 4;
constexpr int FRAME_PAYLOAD = 1;

std::vector<std::string>* collected_lines = nullptr;

void collect_line(const char* line)
{
    if (collected_lines)
        collected_lines->push_back(line);
}

void put_be_float(unsigned char* out, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(bits >> (24 - 8 * i));
}

// The measurement payload: deltas A to T, temperature, lamp off A to T. The
// lamps' off signals are zero and the temperature is missing: the
// conversion reads only the deltas.
void fill_payload(unsigned char payload[MEASURE_PAYLOAD_BYTES], const float deltas[4])
{
    for (int lamp = 0; lamp < 4; ++lamp) {
        put_be_float(payload + 4 * lamp, deltas[lamp]);
        put_be_float(payload + 20 + 4 * lamp, 0.0f);
    }
    put_be_float(payload + 16, undefined_float());
}

}  // namespace

bool Ttool_conversion::load(const char* path, std::vector<std::string>* messages)
{
    collected_lines = messages;
    set_log_sink(collect_line);
    master.load_calibration(path);
    set_log_sink(nullptr);
    collected_lines = nullptr;
    return master.constants.valid != 0;
}

void Ttool_conversion::convert(const float deltas[4], std::string cells[4])
{
    unsigned char payload[MEASURE_PAYLOAD_BYTES];
    fill_payload(payload, deltas);
    master.table.table_clear();
    master.on_data(FRAME_PAYLOAD, payload, MEASURE_PAYLOAD_BYTES);
    Tmy_string cell;
    for (int column = 0; column < RESULT_COLUMNS; ++column) {
        master.table.cell_text(0, PPB_A_COLUMN + column, &cell);
        cells[column].assign(cell.c_str(), cell.length());
    }
}
