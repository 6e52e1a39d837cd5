#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Sample_builder.h"
#include "calibration/Calibration_calc.h"
#include "calibration/Sample_reduce.h"
#include "events/Lib_cpp.h"

namespace {

std::vector<std::string> logged;
void record_line(const char* line) { logged.push_back(line); }

class Calibration_calc : public ::testing::Test {
protected:
    void SetUp() override
    {
        logged.clear();
        set_log_sink(record_line);
    }
    void TearDown() override { set_log_sink(nullptr); }

    Tlumo_calibration_calc calc;
    sample_table table;
};

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

const double UNDEFINED = 1.7976931348623157e308;

// A table whose constants pass every rule with the defaults: lamp C at
// 10 NTU 40, lamp T at 100 NTU 1000, lamp A under tracer C at 100 ppb 11.
void fill_checked_table(sample_table* table, float lamp_c_10_ntu, float lamp_t_100_ntu, float tracer_c_lamp_a)
{
    add_sample(table, WATER, NTU_0, {10, 20, 30, 5});
    add_sample(table, WATER, NTU_1, {12, 22, 33, 15});
    add_sample(table, WATER, NTU_10, {20, 30, lamp_c_10_ntu, 100});
    add_sample(table, WATER, NTU_100, {100, 110, 120, lamp_t_100_ntu});
    add_sample(table, URANINE, PPB_10, {60, 21, 31, 6});
    add_sample(table, URANINE, PPB_100, {500, 25, 35, 7});
    add_sample(table, SULFORHODAMINE_B, PPB_10, {11, 70, 32, 6});
    add_sample(table, SULFORHODAMINE_B, PPB_100, {15, 620, 36, 7});
    add_sample(table, AMINO_G_ACID, PPB_10, {11, 21, 80, 6});
    add_sample(table, AMINO_G_ACID, PPB_100, {tracer_c_lamp_a, 24, 700, 7});
}

}  // namespace

TEST_F(Calibration_calc, EmptyTableFailsEveryRule)
{
    calc.compute(&table);
    for (int lamp = LAMP_A; lamp < LAMP_COUNT; ++lamp) {
        EXPECT_EQ(calc.water(lamp), UNDEFINED);
        for (int level = 0; level < 3; ++level)
            EXPECT_EQ(calc.turbidity_response(lamp, level), UNDEFINED);
    }
    for (int tracer = 0; tracer < 3; ++tracer)
        for (int slot = 0; slot < 5; ++slot)
            EXPECT_EQ(calc.tracer_response(tracer, slot), UNDEFINED);

    EXPECT_EQ(calc.check_validity(), 0x7FFFFF);
    ASSERT_EQ(logged.size(), 27u);
    EXPECT_EQ(logged[0].rfind("error : TA_10_LA>=TA_100_LA   1797693", 0), 0u);
    EXPECT_EQ(logged[14].rfind("error : NTU_LT[100 NTU] <= NTU_LT[10 NTU]  1797693", 0), 0u);
    EXPECT_EQ(logged[26].rfind("error : TC_100_LC  <= eau_LC     1797693", 0), 0u);
}

// Each lamp's floor starts at its water value and climbs by 0.1 whenever a
// standard fails to exceed it; the value itself is raised by 0.1 too.
TEST_F(Calibration_calc, TurbidityFloorsClimbByOneStep)
{
    add_sample(&table, WATER, NTU_0, {5.0f, 0, 7, 1});
    add_sample(&table, WATER, NTU_1, {5.0f, 0, 8, 2});
    add_sample(&table, WATER, NTU_10, {5.05f, 0, 6, 3});
    add_sample(&table, WATER, NTU_100, {9.0f, 0, 9, 4});
    calc.compute(&table);

    EXPECT_DOUBLE_EQ(calc.turbidity_response(LAMP_A, 0), 5.1);
    EXPECT_NEAR(calc.turbidity_response(LAMP_A, 1), 5.15, 1e-6);
    EXPECT_DOUBLE_EQ(calc.turbidity_response(LAMP_A, 2), 9.0);
    EXPECT_DOUBLE_EQ(calc.water(LAMP_A), 5.0);
    // Lamp B all zero: 0.1 at every level (floor 0, 0.1, 0.2, 0.3).
    for (int level = 0; level < 3; ++level)
        EXPECT_DOUBLE_EQ(calc.turbidity_response(LAMP_B, level), 0.1);
    EXPECT_DOUBLE_EQ(calc.water(LAMP_B), 0.0);
    // Lamp C: water 6 is the 10 NTU sample itself.
    EXPECT_DOUBLE_EQ(calc.turbidity_response(LAMP_C, 1), 6.1);

    calc.check_validity();
    auto failed = [](const std::string& prefix) {
        for (const std::string& line : logged)
            if (line.rfind(prefix, 0) == 0)
                return true;
        return false;
    };
    EXPECT_FALSE(failed("error : NTU_LA"));
    EXPECT_FALSE(failed("error : NTU_LB[1 NTU]"));
    EXPECT_TRUE(failed("error : NTU_LB[10 NTU]  <= NTU_LB[1 NTU]   0.100000<=0.100000"));
    EXPECT_TRUE(failed("error : NTU_LB[100 NTU] <= NTU_LB[10 NTU]  0.100000<=0.100000"));
}

TEST_F(Calibration_calc, TracerResponsesAreRaisedAboveTheirFloors)
{
    add_sample(&table, WATER, NTU_0, {10, 20, 30, 40});
    add_sample(&table, URANINE, PPB_10, {10, 20, 30, 40});
    add_sample(&table, URANINE, PPB_100, {10, 20, 30, 40});
    add_sample(&table, SULFORHODAMINE_B, PPB_100, {10, 20, 30, 40});
    add_sample(&table, AMINO_G_ACID, PPB_100, {10, 20, 30, 40});
    calc.compute(&table);

    EXPECT_DOUBLE_EQ(calc.tracer_response(0, Tlumo_calibration_calc::AT_10_OWN), 10.1);
    EXPECT_DOUBLE_EQ(calc.tracer_response(0, Tlumo_calibration_calc::AT_100_LA), 10.2);
    EXPECT_DOUBLE_EQ(calc.tracer_response(0, Tlumo_calibration_calc::AT_100_LB), 20.1);
    EXPECT_DOUBLE_EQ(calc.tracer_response(0, Tlumo_calibration_calc::AT_100_LC), 30.1);
    EXPECT_DOUBLE_EQ(calc.tracer_response(0, Tlumo_calibration_calc::AT_100_LT), 40.0);
    EXPECT_DOUBLE_EQ(calc.tracer_response(1, Tlumo_calibration_calc::AT_100_LA), 10.1);
    // No 10 ppb sample of tracer B: both of its own-lamp values stay undefined.
    EXPECT_EQ(calc.tracer_response(1, Tlumo_calibration_calc::AT_10_OWN), UNDEFINED);
    EXPECT_EQ(calc.tracer_response(1, Tlumo_calibration_calc::AT_100_LB), UNDEFINED);
    // Lamp A under tracer C is never raised.
    EXPECT_DOUBLE_EQ(calc.tracer_response(2, Tlumo_calibration_calc::AT_100_LA), 10.0);
    EXPECT_DOUBLE_EQ(calc.tracer_response(2, Tlumo_calibration_calc::AT_100_LB), 20.1);
}

TEST_F(Calibration_calc, TracerCSampleWithLowestLampADeltaFailsRule23Only)
{
    fill_checked_table(&table, 40, 1000, 9.5f);
    calc.compute(&table);

    EXPECT_EQ(calc.check_validity(), 0x40000);
    EXPECT_EQ(logged, std::vector<std::string>{"error : TC_100_LA  <= eau_LA     9.500000<=9.500000"});
}

// Two rules share the code 0x400: the log line tells which one failed.
TEST_F(Calibration_calc, BothRulesOfCode0x400LogTheirOwnLine)
{
    struct Tcase {
        float lamp_c_10_ntu;
        float lamp_t_100_ntu;
        const char* line;
    };
    const Tcase cases[] = {
        {32, 1000, "error : NTU_LC[10 NTU]  <= NTU_LC[1 NTU]   32.000000<=33.000000"},
        {40, 50, "error : NTU_LT[100 NTU] <= NTU_LT[10 NTU]  50.000000<=100.000000"},
    };
    for (const Tcase& c : cases) {
        SCOPED_TRACE(c.line);
        sample_table valid;
        fill_checked_table(&valid, c.lamp_c_10_ntu, c.lamp_t_100_ntu, 11);
        Tlumo_calibration_calc checked;
        checked.compute(&valid);
        logged.clear();
        EXPECT_EQ(checked.check_validity(), 0x400);
        EXPECT_EQ(logged, std::vector<std::string>{c.line});
    }
}

TEST_F(Calibration_calc, KnownTableGivesTheCheckedInLegacyText)
{
    fill_known_table(&table);
    calc.set_header(2, 1234, 2024, 3, 5);
    calc.compute(&table);
    calc.set_lamp_tracer('A', URANINE);
    calc.set_lamp_tracer('b', SULFORHODAMINE_B);
    calc.set_lamp_tracer('C', AMINO_G_ACID);
    calc.set_lamp_tracer('T', NAPHTIONATE);

    EXPECT_EQ(calc.check_validity(), 0x400 | 0x10000 | 0x40000);
    EXPECT_EQ(logged, (std::vector<std::string>{
                          "error : NTU_LC[10 NTU]  <= NTU_LC[1 NTU]   30.100000<=33.000000",
                          "error : TC_100_LT  <= eau_LT     5.000000<=5.000000",
                          "error : TC_100_LA  <= eau_LA     9.500000<=9.500000",
                      }));

    Tmy_string text;
    text.assign("kept|");
    calc.write_legacy_text(&text);
    const std::string golden = read_file(CALIBRATION_TEST_DATA "/legacy_known_table.txt");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(std::string(text.c_str()), "kept|" + golden);
    calc.write_legacy_text(nullptr);
}

TEST_F(Calibration_calc, HeaderLineByModel)
{
    const struct {
        uint8_t model;
        const char* line;
    } cases[] = {
        {1, "               Calibration constants  -  ZETA-QX1 fluorometer #7\r\n"},
        {2, "               Calibration constants  -  ZETA-QX2 fluorometer #7\r\n"},
        {0, "               Calibration constants  -  #7\r\n"},
        {9, "               Calibration constants  -  #7\r\n"},
    };
    for (const auto& c : cases) {
        Tlumo_calibration_calc fresh;
        fresh.set_header(c.model, 7, 1999, 12, 31);
        Tmy_string text;
        fresh.write_legacy_text(&text);
        const std::string all = text.c_str();
        EXPECT_EQ(all.substr(0, all.find('\n') + 1), c.line);
        EXPECT_NE(all.find("Last calibration: 991231\r\n"), std::string::npos);
        // Undefined constants print in full, and unknown tracers by their undefined name.
        EXPECT_NE(all.find("\r\nXXXXXX_traceur_undefined\r\n"), std::string::npos);
        EXPECT_NE(all.find("L1 179769313486231570"), std::string::npos);
    }
}

TEST_F(Calibration_calc, FormatValuePadsToSevenCharacters)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {5.5, "   5.50"}, {0, "   0.00"}, {-1.25, "  -1.25"}, {999.994, " 999.99"},
        {1000, "1000.00"}, {12345.678, "12345.68"}, {1234567.891, "1234567.89"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(calc.format_value(c.value), c.text) << c.value;
}

TEST(Sample_reduce, UnreadLampsAreLeftOut)
{
    sample_table table;
    add_sample(&table, URANINE, PPB_100, {4, 1, 1, 1});
    add_sample(&table, URANINE, PPB_100, {6, 2, 1, 1});
    add_sample(&table, EOSINE, PPB_100, {0, 3, 1, 1});
    table.cell[1][3].at(2)->delta[LAMP_A] = undefined_float();
    table.cell[1][3].at(1)->delta[LAMP_T] = undefined_float();
    table.cell[1][3].at(0)->delta[LAMP_T] = undefined_float();

    EXPECT_DOUBLE_EQ(sample_table_average(&table, 'A', LAMP_A, 100), 5.0);
    EXPECT_DOUBLE_EQ(sample_table_average(&table, 'A', LAMP_B, 100.9), 2.0);
    EXPECT_DOUBLE_EQ(sample_table_average(&table, 'A', LAMP_T, 100), 1.0);
    EXPECT_DOUBLE_EQ(sample_table_minimum(&table, LAMP_B), 1.0);
    EXPECT_DOUBLE_EQ(sample_table_minimum(&table, LAMP_A), 4.0);

    table.cell[1][3].at(2)->delta[LAMP_T] = undefined_float();
    EXPECT_EQ(sample_table_average(&table, 'A', LAMP_T, 100), UNDEFINED);
    EXPECT_EQ(sample_table_minimum(&table, LAMP_T), UNDEFINED);
    EXPECT_EQ(sample_table_average(&table, 'A', LAMP_A, 10), UNDEFINED);
    EXPECT_EQ(sample_table_average(&table, 'X', LAMP_A, 100), UNDEFINED);
    EXPECT_EQ(sample_table_average(&table, 'A', LAMP_A, 50), UNDEFINED);
}
