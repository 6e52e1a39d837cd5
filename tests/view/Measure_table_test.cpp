#include <gtest/gtest.h>

#include <string>

#include "events/My_string.h"
#include "link/Lumo_data.h"
#include "view/Measure_table.h"
#include "support/Test_env.h"

namespace {

const std::string HEADER_LINE =
    "Timestamp;Date;GMT;delta A;delta B;delta C;delta T;Temp;ppb A;ppb B;ppb C;NTU;\r\n";

// Lamps A and T delivered, constants loaded.
Tlumo_measure example_measure()
{
    Tlumo_measure m;
    m.timestamp = 1607337600;
    m.delta[LAMP_A] = 12.345f;
    m.delta[LAMP_T] = 3.21f;
    m.temperature = 18.52f;
    m.ppb_a = 2.817f;
    m.ntu = 1.234f;
    return m;
}

TEST(Measure_table, SavesTheHeaderAloneAfterAClear)
{
    Tmeasure_table table;
    Tlumo_measure m = example_measure();
    table.table_add(&m);
    table.table_clear();
    std::string text;
    table.table_text(&text);
    EXPECT_EQ(text, HEADER_LINE);
    EXPECT_FALSE(table.header_fixed());
}

TEST(Measure_table, SavesOneLinePerMeasurementInUtc)
{
    // The date column ignores the process's time zone.
    set_test_env("TZ", "Pacific/Auckland");
    Tmeasure_table table;
    table.table_clear();
    Tlumo_measure m = example_measure();
    table.table_add(&m);
    Tlumo_measure empty;
    empty.timestamp = 0;
    table.table_add(&empty);
    EXPECT_TRUE(table.header_fixed());
    std::string text;
    table.table_text(&text);
    EXPECT_EQ(text, HEADER_LINE +
                        "1607337600;07.12.2020 10:40:00;0;12.345;-;-;3.210;18.52;2.817;-;-;1.234;\r\n"
                        "0;01.01.1970 00:00:00;0;-;-;-;-;-;-;-;-;-;\r\n");
    set_test_env("TZ", nullptr);
}

TEST(Measure_table, CellsAreFormattedOnDemand)
{
    Tmeasure_table table;
    Tlumo_measure m = example_measure();
    m.delta[LAMP_B] = -0.0004f;
    m.ppb_b = 1234567.5f;
    table.table_add(&m);
    Tmy_string cell;
    const char* expected[Tmeasure_table::COLUMNS] = {"1607337600", "07.12.2020 10:40:00", "0", "12.345", "-0.000",
                                                     "-", "3.210", "18.52", "2.817", "1234567.500", "-", "1.234"};
    for (int column = 0; column < Tmeasure_table::COLUMNS; ++column) {
        table.cell_text(0, column, &cell);
        EXPECT_STREQ(cell.c_str(), expected[column]) << column;
    }
    EXPECT_STREQ(Tmeasure_table::header(11), "NTU");
}

// Thirty days of a measurement every 10 s stay a few megabytes of numbers.
TEST(Measure_table, HoldsAMonthOfMeasurements)
{
    constexpr unsigned MONTH_ROWS = 30 * 24 * 360;
    static_assert(sizeof(Tmeasure_row) <= 48);
    Tmeasure_table table;
    Tlumo_measure m = example_measure();
    for (unsigned i = 0; i < MONTH_ROWS; ++i) {
        m.timestamp = 1607337600 + 10 * static_cast<int>(i);
        table.table_add(&m);
    }
    ASSERT_EQ(table.data_rows(), MONTH_ROWS);
    Tmy_string cell;
    table.cell_text(MONTH_ROWS - 1, 1, &cell);
    EXPECT_STREQ(cell.c_str(), "06.01.2021 10:39:50");
    std::string text;
    table.table_text(&text);
    EXPECT_EQ(text.size(), HEADER_LINE.size() + MONTH_ROWS * 74u);
}

}  // namespace
