#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <cmath>
#include <limits>
#include <string>

#include "support/Temp_dir.h"
#include "view/Legacy_calibration.h"
#include "view/Vorn_lumo.h"

namespace {

// The default calibration of Tlegacy_calibration: water A 5, B 6, C 7,
// T 10 mV; sensitivities (mV at 100 ppb) c = [100 3 1; 10 200 5; 2 10 50].
const double C[3][3] = {{100, 3, 1}, {10, 200, 5}, {2, 10, 50}};
const double WATER[4] = {5, 6, 7, 10};

class Convert : public testing::Test {
protected:
    void load(const Tlegacy_calibration& file = Tlegacy_calibration())
    {
        dir.write("constants.txt", file.text());
        constants.clear();
        ASSERT_EQ(constants.getcalib(dir.file("constants.txt").c_str()), 0);
    }

    // Net lamp signals of a mixture of the three tracers at ppb[] (the
    // forward model), without water: what the instrument would deliver.
    static void mixture(const double* ppb, double* signals)
    {
        for (int lamp = 0; lamp < 3; ++lamp) {
            signals[lamp] = 0;
            for (int tracer = 0; tracer < 3; ++tracer) signals[lamp] += C[lamp][tracer] * ppb[tracer] / 100;
        }
    }

    conversion_record run(const bool* present, const double* signals, bool with_t = false, double t = 0)
    {
        conversion_record record;
        for (int i = 0; i < 3; ++i) {
            record.has_signal[i] = present[i] ? 1 : 0;
            record.signal[i] = signals[i];
        }
        record.has_t = with_t ? 1 : 0;
        record.signal_t = t;
        constants.convert(&record);
        return record;
    }

    Ttemp_dir dir;
    Tvorn_lumo constants;
};

struct Tmixture_case {
    const char* name;
    bool present[3];
    double ppb[3];  // the true concentrations; absent tracers at 0
};
void PrintTo(const Tmixture_case& c, std::ostream* out) { *out << c.name; }

class Convert_mixture : public Convert, public testing::WithParamInterface<Tmixture_case> {};

// Without lamp T the signals enter as delivered: give them net of water.
TEST_P(Convert_mixture, RecoversTheConcentrations)
{
    load();
    double signals[3];
    mixture(GetParam().ppb, signals);
    conversion_record record = run(GetParam().present, signals);
    for (int i = 0; i < 3; ++i) {
        double expected = GetParam().present[i] ? GetParam().ppb[i] : 0.01;
        EXPECT_NEAR(record.ppb[i], expected, 1e-9) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lamps, Convert_mixture,
    testing::Values(Tmixture_case{"AllThree", {true, true, true}, {10, 20, 5}},
                    Tmixture_case{"CMissing", {true, true, false}, {40, 15, 0}},
                    Tmixture_case{"AMissing", {false, true, true}, {0, 7, 30}},
                    Tmixture_case{"BMissing", {true, false, true}, {12, 0, 9}}),
    [](const testing::TestParamInfo<Tmixture_case>& info) { return std::string(info.param.name); });

TEST_F(Convert, PureTracerOneResponseMeetsTheFloors)
{
    load();
    const bool all[3] = {true, true, true};
    const double signals[3] = {100, 10, 2};
    conversion_record record = run(all, signals);
    EXPECT_NEAR(record.ppb[0], 100, 1e-9);
    EXPECT_EQ(record.ppb[1], 0.1);
    EXPECT_EQ(record.ppb[2], 0.1);
}

TEST_F(Convert, SingleLampWithoutCalibrationLinesIsLinear)
{
    Tlegacy_calibration file;
    file.lines[1] = {{"-7", 206}};
    load(file);
    const bool only_b[3] = {false, true, false};
    const double signals[3] = {0, 50, 0};
    EXPECT_NEAR(run(only_b, signals).ppb[1], 100.0 * 50 / 200, 1e-12);
}

// A tracer whose 10 ppb standard gives 20 mV and 100 ppb 100 mV above water
// follows a power law through those two points, not the linear 100 ppb ratio.
TEST_F(Convert, SingleLampFollowsItsCalibrationCurve)
{
    Tlegacy_calibration file;
    file.lines[0] = {{"-8", 25}, {"-7", 105}};
    load(file);
    const bool only_a[3] = {true, false, false};
    const double v[3] = {50, 0, 0};
    double expected = 10 * std::pow(v[0] / 20, 1 / std::log10(100.0 / 20));
    conversion_record record = run(only_a, v);
    EXPECT_NEAR(record.ppb[0], expected, 1e-9);
    EXPECT_EQ(record.ppb[1], 0.01);
    EXPECT_EQ(record.ppb[2], 0.01);
}

TEST_F(Convert, SignalsWithoutLogarithmOrNumberGiveTheFloor)
{
    load();
    const bool only_a[3] = {true, false, false};
    const bool only_c[3] = {false, false, true};
    for (double v : {0.0, -3.0, std::numeric_limits<double>::quiet_NaN()}) {
        const double a[3] = {v, 0, 0};
        const double c[3] = {0, 0, v};
        EXPECT_EQ(run(only_a, a).ppb[0], 0.0105) << v;
        EXPECT_EQ(run(only_c, c).ppb[2], 0.1) << v;
    }
}

// Lamp T 20 mV above water is 10 NTU; it adds 20/2 mV on lamp A and 20 mV on
// lamp B, which the conversion removes together with the water signal.
TEST_F(Convert, TurbidityIsMeasuredAndRemovedFromTheTracerLamps)
{
    load();
    const double truth[3] = {40, 15, 0};
    double net[3];
    mixture(truth, net);
    const bool a_and_b[3] = {true, true, false};
    const double signals[3] = {WATER[0] + 10 + net[0], WATER[1] + 20 + net[1], 0};
    conversion_record record = run(a_and_b, signals, true, WATER[3] + 20);
    EXPECT_NEAR(record.ntu, 10, 1e-9);
    EXPECT_NEAR(record.ppb[0], 40, 1e-9);
    EXPECT_NEAR(record.ppb[1], 15, 1e-9);
    EXPECT_EQ(record.ppb[2], 0.01);
}

TEST_F(Convert, LampTAtOrBelowWaterGivesTheTurbidityFloor)
{
    load();
    const bool only_a[3] = {true, false, false};
    const double a[3] = {WATER[0] + 50, 0, 0};
    for (double t : {WATER[3], WATER[3] - 5}) {
        conversion_record record = run(only_a, a, true, t);
        EXPECT_EQ(record.ntu, 0.1) << t;
        // At most 10^-2 / 2 mV of interference: lamp A reads its 50 mV net.
        EXPECT_NEAR(record.ppb[0], 50, 0.01) << t;
    }
}

// Exactly at its water signal lamp T has a net signal of 0, whose logarithm
// stands in as -20 (not the -2 of a signal below water): the turbidity
// interference all but vanishes and lamp A keeps its whole net signal.
TEST_F(Convert, LampTExactlyAtWaterTakesMinusTwentyAsItsLogarithm)
{
    load();
    const bool only_a[3] = {true, false, false};
    const double net[3] = {50, 0, 0};
    const double a[3] = {WATER[0] + 50, 0, 0};
    const conversion_record without_t = run(only_a, net);
    const conversion_record at_water = run(only_a, a, true, WATER[3]);
    const conversion_record below_water = run(only_a, a, true, WATER[3] - 1);

    EXPECT_DOUBLE_EQ(at_water.ppb[0], without_t.ppb[0]);
    EXPECT_LT(below_water.ppb[0], at_water.ppb[0] - 1e-4);
    const double curve = std::pow(10, constants.c0 - 20 * constants.c1 + 400 * constants.c2);
    EXPECT_EQ(at_water.ntu, std::max(curve, 0.1));
}

TEST_F(Convert, TracerBelowWaterAndTurbidityGivesTheFloor)
{
    load();
    const bool only_b[3] = {false, true, false};
    const double b[3] = {0, WATER[1] + 5, 0};  // 20 mV of turbidity expected on B
    EXPECT_EQ(run(only_b, b, true, WATER[3] + 20).ppb[1], 0.1);
}

TEST_F(Convert, NoTracerLampLeavesTheStartValues)
{
    load();
    const bool none[3] = {false, false, false};
    const double signals[3] = {50, 50, 50};
    conversion_record record = run(none, signals, true, WATER[3] + 200);
    for (double ppb : record.ppb) EXPECT_EQ(ppb, 0.01);
    EXPECT_NEAR(record.ntu, 100, 1e-9);
}

}  // namespace
