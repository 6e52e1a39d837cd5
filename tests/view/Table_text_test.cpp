// The table's cells are written without printf; they must be the bytes
// printf gives for the table's formats, for any value a record can hold.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <string>

#include "events/Lib_cpp.h"
#include "events/My_string.h"
#include "link/Lumo_data.h"
#include "view/Measure_table.h"

namespace {

constexpr int COL_DATE = 1;
constexpr int COL_TEMPERATURE = 7;

// One row whose every value is `value`, added to a fresh table.
void add_row_of(Tmeasure_table* table, float value, int32_t timestamp)
{
    Tlumo_measure m;
    m.timestamp = timestamp;
    for (float& delta : m.delta) delta = value;
    m.temperature = value;
    m.ppb_a = m.ppb_b = m.ppb_c = m.ntu = value;
    table->table_add(&m);
}

// What printf gives for the cell.
std::string printf_cell(float value, int32_t timestamp, int column)
{
    char text[128];
    if (column == 0) {
        std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(static_cast<uint32_t>(timestamp)));
    } else if (column == COL_DATE) {
        time_t when = timestamp;
        // A runtime that converts no time before 1970 leaves every field 0.
        const struct tm* t = std::gmtime(&when);
        if (t)
            std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", t->tm_mday, t->tm_mon + 1,
                          t->tm_year + 1900, t->tm_hour, t->tm_min, t->tm_sec);
        else
            std::snprintf(text, sizeof text, "%s", "00.00.0000 00:00:00");
    } else if (column == 2) {
        std::snprintf(text, sizeof text, "%s", "0");
    } else if (is_undefined(value)) {
        std::snprintf(text, sizeof text, "%s", "-");
    } else if (std::isnan(value)) {
        // The C libraries differ on the sign of a NaN; the cells give it.
        std::snprintf(text, sizeof text, "%s", std::signbit(value) ? "-nan" : "nan");
    } else {
        std::snprintf(text, sizeof text, column == COL_TEMPERATURE ? "%0.2f" : "%0.3f", static_cast<double>(value));
    }
    return text;
}

// The cells of the row against printf, and the saved line against the cells.
void expect_as_printf(float value, int32_t timestamp)
{
    Tmeasure_table table;
    add_row_of(&table, value, timestamp);
    Tmy_string cell;
    std::string line;
    for (int column = 0; column < Tmeasure_table::COLUMNS; ++column) {
        table.cell_text(0, column, &cell);
        EXPECT_EQ(cell.c_str(), printf_cell(value, timestamp, column)) << "value " << value << " column " << column;
        line += cell.c_str();
        line += ';';
    }
    std::string text;
    table.table_text(&text);
    const size_t header_end = text.find("\r\n") + 2;
    line += "\r\n";
    EXPECT_EQ(text.substr(header_end), line);
}

TEST(Table_text, CellsAreThoseOfPrintfForEdgeValues)
{
    const float values[] = {0.0f,         -0.0f,      0.0005f,   0.0015f,   -0.0004f,  -0.0005f,  2.675f,
                            0.125f,       0.005f,     1.0f / 3,  999.9995f, 1e-10f,    -1e-10f,   123456.789f,
                            1234567.5f,   1e20f,      -3e38f,    FLT_MIN,   -FLT_MIN,  std::nextafter(FLT_MAX, 0.0f),
                            -FLT_MAX,     INFINITY,   -INFINITY, NAN,       undefined_float()};
    const int32_t times[] = {0, 1607337600, 951782400, -1, INT32_MIN, INT32_MAX};
    for (float value : values)
        for (int32_t timestamp : times) expect_as_printf(value, timestamp);
}

TEST(Table_text, CellsAreThoseOfPrintfForRandomValues)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<uint32_t> bits;
    std::uniform_real_distribution<float> ordinary(-5000.0f, 5000.0f);
    for (int i = 0; i < 2000; ++i) {
        uint32_t pattern = bits(rng);
        float any;
        std::memcpy(&any, &pattern, sizeof any);
        expect_as_printf(any, static_cast<int32_t>(bits(rng)));
        expect_as_printf(ordinary(rng), static_cast<int32_t>(bits(rng)));
    }
}

}  // namespace
