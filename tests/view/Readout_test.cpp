#include <gtest/gtest.h>

#include "events/Lib_cpp.h"
#include "view/Measure_table.h"
#include "view/Readout_text.h"
#include "view/Vorn_lumo.h"

namespace {

const float NONE = undefined_float();

struct Tfloor_case {
    int result;
    float value;
    bool at_floor;
};

// A result is at the floor as the conversion writes it, and as a saved
// table's three decimals read back ("0.010" for lamp A's 0.0105).
TEST(Conversion_floor, IsWhereTheConversionRaisesResults)
{
    const Tfloor_case cases[] = {
        {0, 0.0105f, true}, {0, 0.010f, true},  {0, 0.011f, false}, {0, 0.1f, false},
        {1, 0.1f, true},    {1, 0.101f, false}, {2, 0.1f, true},    {3, 0.1f, true},
        {3, 0.2f, false},   {1, NONE, false},   {3, NONE, false},
    };
    for (const Tfloor_case& c : cases)
        EXPECT_EQ(at_conversion_floor(c.result, c.value), c.at_floor) << c.result << " " << c.value;

    // What the conversion gives for clean water is at the floor.
    Tvorn_lumo constants;
    constants.c11 = constants.c22 = constants.c33 = 1000;
    constants.ssss = 100;
    conversion_record record;
    record.has_signal[0] = 1;
    constants.convert(&record);
    EXPECT_TRUE(at_conversion_floor(0, float(record.ppb[0])));
}

Tmeasure_row row_of(float a, float b, float c, float ntu)
{
    return Tmeasure_row{1000, {1, 1, 1, 1}, 12.0f, {a, b, c}, ntu};
}

TEST(Readout, ShowsTheNewestConcentrationsAndMarksTheFloors)
{
    Tvorn_lumo constants;
    constants.valid = 1;
    constants.dyename[1].format("Uranine");
    const Tmeasure_row row = row_of(12.3456f, 0.1f, NONE, 0.0105f);
    const auto cells = readout_cells(&row, constants);
    const char* captions[] = {"ppb A (Uranine)", "ppb B", "ppb C", "NTU"};
    const char* values[] = {"12.346", "< 0.1", "---", "< 0.1"};
    const bool floors[] = {false, true, false, true};
    for (size_t i = 0; i < cells.size(); ++i) {
        EXPECT_EQ(cells[i].caption, captions[i]);
        EXPECT_EQ(cells[i].value, values[i]);
        EXPECT_EQ(cells[i].at_floor, floors[i]);
    }
    const Tmeasure_row clean = row_of(0.0105f, 0.2f, 0.3f, 1.0f);
    EXPECT_EQ(readout_cells(&clean, constants)[0].value, "< 0.0105");
    EXPECT_EQ(readout_cells(&clean, constants)[3].value, "1.000");
}

TEST(Readout, WithoutRowsOrConstantsShowsNoValue)
{
    Tvorn_lumo none;
    for (const Treadout_cell& cell : readout_cells(nullptr, none)) {
        EXPECT_EQ(cell.value, "---");
        EXPECT_FALSE(cell.at_floor);
    }
    EXPECT_EQ(readout_cells(nullptr, none)[0].caption, "ppb A");
    EXPECT_EQ(readout_cells(nullptr, none)[3].caption, "NTU");
}

}  // namespace
