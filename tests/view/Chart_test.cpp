#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "events/Lib_cpp.h"
#include "view/Chart_feed.h"
#include "view/Chart_plan.h"
#include "view/Measure_table.h"
#include "view/Vorn_lumo.h"

namespace {

const float NONE = undefined_float();

Tmeasure_row row_at(int32_t time, float delta_a, float ppb_a)
{
    Tmeasure_row row{time, {delta_a, NONE, NONE, NONE}, NONE, {ppb_a, NONE, NONE}, NONE};
    return row;
}

// Valid constants naming these tracers on lamps A, B and C.
Tchart_plan plan_for(const char* tracer_a, const char* tracer_b, const char* tracer_c, bool valid = true)
{
    Tvorn_lumo constants;
    constants.valid = valid ? 1 : 0;
    const char* names[3] = {tracer_a, tracer_b, tracer_c};
    for (int t = 0; t < 3; ++t) constants.dyename[t + 1].format("%s", names[t]);
    return chart_plan(constants);
}

TEST(Chart_plan, WithoutConstantsTheDeltasAreDrawnAndTheAxisSaysSo)
{
    const Tchart_plan plan = plan_for("Uranine", "Eosine", "Naphtionate", false);
    EXPECT_FALSE(plan.concentrations);
    EXPECT_EQ(plan.name[0], "delta A");
    EXPECT_EQ(plan.name[3], "delta T");
    EXPECT_NE(plan.left_title.find("mV"), std::string::npos);
    EXPECT_NE(plan.left_title.find("no calibration constants"), std::string::npos);
    EXPECT_EQ(plan.right_title, "delta T (mV)");
}

TEST(Chart_plan, ConcentrationsAreNamedByLampAndKnownTracer)
{
    const Tchart_plan plan = plan_for("URANINE", "XXXXXX_traceur_undefined", "Eau");
    EXPECT_TRUE(plan.concentrations);
    EXPECT_EQ(plan.name[0], "ppb A (Uranine)");
    EXPECT_EQ(plan.name[1], "ppb B");
    EXPECT_EQ(plan.name[2], "ppb C");
    EXPECT_EQ(plan.name[3], "NTU");
    EXPECT_EQ(plan.left_title, "Concentration (ppb)");
    EXPECT_EQ(plan.right_title, "Turbidity (NTU)");
    EXPECT_FALSE(plan == plan_for("Uranine", "SulforhodamineB", "Eau"));
}

struct Tvalue_case {
    const char* name;
    bool concentrations;
    bool logarithmic;
    float delta_a;
    float ppb_a;
    double expected;  // NaN for a gap
};

class Chart_value : public testing::TestWithParam<Tvalue_case> {};

TEST_P(Chart_value, MissingValuesAreGapsNeverZero)
{
    const Tvalue_case& c = GetParam();
    Tchart_plan plan;
    plan.concentrations = c.concentrations;
    const double value = chart_value(plan, row_at(0, c.delta_a, c.ppb_a), 0, c.logarithmic);
    if (std::isnan(c.expected)) EXPECT_TRUE(std::isnan(value)) << value;
    else EXPECT_FLOAT_EQ(value, c.expected);
}

const double GAP = std::nan("");

INSTANTIATE_TEST_SUITE_P(
    Cases, Chart_value,
    testing::Values(Tvalue_case{"delta", false, false, 12.5f, 3.0f, 12.5},
                    Tvalue_case{"ppb", true, false, 12.5f, 3.0f, 3.0},
                    Tvalue_case{"undefined_ppb", true, false, 12.5f, NONE, GAP},
                    Tvalue_case{"undefined_delta", false, false, NONE, 3.0f, GAP},
                    Tvalue_case{"negative_linear", true, false, 0, -0.5f, -0.5},
                    Tvalue_case{"zero_log", true, true, 0, 0.0f, GAP},
                    Tvalue_case{"negative_log", false, true, -1.0f, 0, GAP},
                    Tvalue_case{"positive_log", true, true, 0, 0.25f, 0.25}),
    [](const testing::TestParamInfo<Tvalue_case>& info) { return std::string(info.param.name); });

struct Tpoint {
    int series;
    double time;
    double value;
};

struct Trecorder : Tchart_sink {
    void add_point(int series, double time, double value) override { points.push_back({series, time, value}); }
    std::vector<Tpoint> points;
};

TEST(Chart_feed, ARunOfMissingValuesIsOneGap)
{
    Tchart_feed feed;
    feed.reset(Tchart_plan(), false);
    Trecorder sink;
    const float a[] = {NONE, 4.0f, NONE, NONE, -2.0f, 7.0f};
    for (int i = 0; i < 6; ++i) feed.add(row_at(100 + 10 * i, a[i], NONE), &sink);

    // Lamps B, C, T never delivered: no points at all.
    ASSERT_EQ(sink.points.size(), 4u);
    EXPECT_EQ(sink.points[0].time, 110);
    EXPECT_EQ(sink.points[0].value, 4.0);
    EXPECT_EQ(sink.points[1].time, 120);
    EXPECT_TRUE(std::isnan(sink.points[1].value));
    EXPECT_EQ(sink.points[2].time, 140);
    EXPECT_EQ(sink.points[3].value, 7.0);
    for (const Tpoint& p : sink.points) EXPECT_EQ(p.series, 0);

    EXPECT_EQ(feed.rows(), 6u);
    EXPECT_EQ(feed.times().low, 100);
    EXPECT_EQ(feed.times().high, 150);
    EXPECT_EQ(feed.values(0).low, -2.0);
    EXPECT_EQ(feed.values(0).high, 7.0);
    EXPECT_TRUE(feed.values(1).empty());

    feed.reset(Tchart_plan(), true);
    EXPECT_EQ(feed.rows(), 0u);
    EXPECT_TRUE(feed.times().empty());
    EXPECT_TRUE(feed.logarithmic());
}

TEST(Chart_ranges, FollowTheWholeRecordAndTheShownValues)
{
    Tchart_extent none;
    Tchart_extent one;
    one.include(1000);
    Tchart_extent span;
    span.include(1000);
    span.include(2000);
    span.include(std::nan(""));

    const Tchart_range single = follow_time_range(one);
    EXPECT_LT(single.lower, 1000);
    EXPECT_GT(single.upper, 1000);
    const Tchart_range record = follow_time_range(span);
    EXPECT_LT(record.lower, 1000);
    EXPECT_GT(record.upper, 2000);
    EXPECT_LT(record.upper - record.lower, 1100);

    EXPECT_LT(follow_value_range(none, false).lower, follow_value_range(none, false).upper);
    const Tchart_range flat = follow_value_range(one, false);
    EXPECT_LT(flat.lower, 1000);
    EXPECT_GT(flat.upper, 1000);
    const Tchart_range log = follow_value_range(span, true);
    EXPECT_GT(log.lower, 0);
    EXPECT_LT(log.lower, 1000);
    EXPECT_GT(log.upper, 2000);
    EXPECT_GT(follow_value_range(none, true).lower, 0);
}

TEST(Chart_file, PdfByNameElsePng)
{
    EXPECT_TRUE(chart_file_is_pdf("/tmp/curve.pdf"));
    EXPECT_TRUE(chart_file_is_pdf("CURVE.PDF"));
    EXPECT_FALSE(chart_file_is_pdf("curve.png"));
    EXPECT_FALSE(chart_file_is_pdf("pdf"));
    EXPECT_FALSE(chart_file_is_pdf(nullptr));
}

}  // namespace
