#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "events/Lib_cpp.h"
#include "view/Chart_feed.h"
#include "view/Chart_labels.h"
#include "view/Chart_plan.h"
#include "view/Chart_ticks.h"
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
    void set_break(double time, bool broken) override
    {
        if (broken) breaks.insert(time);
        else EXPECT_EQ(breaks.erase(time), 1u) << time;
    }
    std::vector<Tpoint> points;
    std::set<double> breaks;
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

struct Tbreak_case {
    const char* name;
    std::vector<int32_t> times;
    std::set<double> breaks;  // once every row is in
};

class Chart_breaks : public testing::TestWithParam<Tbreak_case> {};

// The lines break where the tracer test's analysis would not bridge a step.
TEST_P(Chart_breaks, FollowTheAnalysisGapRule)
{
    Tchart_feed feed;
    feed.reset(Tchart_plan(), false);
    Trecorder sink;
    for (int32_t time : GetParam().times) feed.add(row_at(time, 1.0f, NONE), &sink);
    EXPECT_EQ(sink.breaks, GetParam().breaks);
}

std::vector<int32_t> every(int32_t from, int32_t to, int32_t step)
{
    std::vector<int32_t> times;
    for (int32_t t = from; t <= to; t += step) times.push_back(t);
    return times;
}

std::vector<int32_t> joined(std::vector<int32_t> a, const std::vector<int32_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Chart_breaks,
    testing::Values(Tbreak_case{"steady_rows", every(0, 200, 10), {}},
                    // The program killed for 89 s near the peak.
                    Tbreak_case{"crash", joined(every(0, 100, 10), every(189, 300, 10)), {144.5}},
                    Tbreak_case{"crash_as_last_step", joined(every(0, 100, 10), {189}), {144.5}},
                    Tbreak_case{"two_missing_rows_are_bridged", joined(every(0, 100, 10), every(130, 200, 10)), {}},
                    // Placed when the slower rows begin, taken back as they go on.
                    Tbreak_case{"slower_sampling", joined(every(0, 100, 10), every(160, 600, 60)), {}},
                    Tbreak_case{"same_second_and_earlier_rows", {0, 10, 10, 20, 5, 30, 40, 50}, {}}),
    [](const testing::TestParamInfo<Tbreak_case>& info) { return std::string(info.param.name); });

std::vector<Tpoint> points_of(const Trecorder& sink, int series)
{
    std::vector<Tpoint> points;
    for (const Tpoint& p : sink.points)
        if (p.series == series) points.push_back(p);
    return points;
}

TEST(Chart_feed, ValuesAtTheFloorAreMarksNotLine)
{
    Tchart_plan plan;
    plan.concentrations = true;
    Tchart_feed feed;
    feed.reset(plan, false);
    Trecorder sink;
    // Lamp A at its floor, then the dye, then at the floor as a saved table reads it back.
    const float ppb_a[] = {0.0105f, 0.0105f, 2.5f, 0.010f};
    const float ntu[] = {0.1f, 5.0f, 5.0f, 5.0f};
    for (int i = 0; i < 4; ++i) {
        Tmeasure_row row = row_at(100 + 10 * i, NONE, ppb_a[i]);
        row.ntu = ntu[i];
        feed.add(row, &sink);
    }
    const std::vector<Tpoint> line = points_of(sink, 0), floor = points_of(sink, Tchart_plan::FLOOR_SERIES);
    ASSERT_EQ(line.size(), 2u);
    EXPECT_EQ(line[0].time, 120);
    EXPECT_FLOAT_EQ(line[0].value, 2.5);
    EXPECT_TRUE(std::isnan(line[1].value));
    ASSERT_EQ(floor.size(), 4u);
    EXPECT_FLOAT_EQ(floor[1].value, 0.0105);
    EXPECT_TRUE(std::isnan(floor[2].value));
    EXPECT_FLOAT_EQ(floor[3].value, 0.010);
    EXPECT_EQ(points_of(sink, Tchart_plan::FLOOR_SERIES + Tchart_plan::RIGHT_AXIS_SERIES).size(), 2u);
    EXPECT_EQ(points_of(sink, Tchart_plan::RIGHT_AXIS_SERIES).size(), 3u);
    // The axes fit the marks too.
    EXPECT_EQ(feed.values(0).low, 0.010f);
    EXPECT_EQ(feed.values(0).high, 2.5f);
}

TEST(Chart_feed, LogarithmicScaleIsTheLeftAxisOnly)
{
    Tchart_feed feed;
    feed.reset(Tchart_plan(), true);
    Trecorder sink;
    Tmeasure_row row = row_at(100, 0.0f, NONE);
    row.delta[3] = 0.0f;
    feed.add(row, &sink);
    EXPECT_TRUE(points_of(sink, 0).empty());
    ASSERT_EQ(points_of(sink, Tchart_plan::RIGHT_AXIS_SERIES).size(), 1u);
    EXPECT_EQ(points_of(sink, Tchart_plan::RIGHT_AXIS_SERIES)[0].value, 0.0);
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
    EXPECT_EQ(flat.lower, 0);
    EXPECT_GT(flat.upper, 1000);
    Tchart_extent below_zero;
    below_zero.include(-2);
    below_zero.include(-1);
    const Tchart_range negative = follow_value_range(below_zero, false);
    EXPECT_LT(negative.lower, -2);
    EXPECT_GE(negative.upper, 0);
    const Tchart_range log = follow_value_range(span, true);
    EXPECT_GT(log.lower, 0);
    EXPECT_LT(log.lower, 1000);
    EXPECT_GT(log.upper, 2000);
    EXPECT_GT(follow_value_range(none, true).lower, 0);
}

std::vector<std::string> labels_of(const std::vector<Tchart_tick>& ticks)
{
    std::vector<std::string> labels;
    for (const Tchart_tick& tick : ticks) labels.push_back(tick.label);
    return labels;
}

constexpr double DAY_8_DEC_2026 = 1796688000;  // 08.12.2026 00:00:00 UTC

TEST(Chart_ticks, DatesAreShownOnceADay)
{
    using L = std::vector<std::string>;
    // Six hours across midnight, about four ticks: every two hours.
    EXPECT_EQ(labels_of(date_ticks(DAY_8_DEC_2026 - 3 * 3600 - 60, DAY_8_DEC_2026 + 3 * 3600, 4)),
              L({"22:00\n07.12.2026", "00:00\n08.12.2026", "02:00"}));
    EXPECT_EQ(labels_of(date_ticks(DAY_8_DEC_2026 + 10, DAY_8_DEC_2026 + 50, 4)),
              L({"00:00:10\n08.12.2026", "00:00:20", "00:00:30", "00:00:40", "00:00:50"}));
    EXPECT_EQ(labels_of(date_ticks(DAY_8_DEC_2026 + 600, DAY_8_DEC_2026 + 2400, 3)),
              L({"00:10\n08.12.2026", "00:20", "00:30", "00:40"}));
    // Weeks: days, the year where it begins and changes.
    EXPECT_EQ(labels_of(date_ticks(DAY_8_DEC_2026, DAY_8_DEC_2026 + 40 * 86400.0, 3)),
              L({"17.12.2026", "31.12.", "14.01.2027"}));
    EXPECT_TRUE(date_ticks(100, 100, 5).empty());
    EXPECT_LE(date_ticks(0, 2e9, 1000000).size(), 1000u);
}

TEST(Chart_ticks, HoursCountFromTheInjection)
{
    using L = std::vector<std::string>;
    const double injection = DAY_8_DEC_2026 + 1234;
    EXPECT_EQ(labels_of(hours_ticks(injection - 3600, injection + 3 * 3600, injection, 4)),
              L({"-1", "0", "1", "2", "3"}));
    EXPECT_EQ(labels_of(hours_ticks(injection - 100, injection + 1000, injection, 3)), L({"0.0", "0.2"}));
    EXPECT_EQ(labels_of(hours_ticks(injection, injection + 100 * 3600, injection, 5)),
              L({"0", "20", "40", "60", "80", "100"}));
    const std::vector<Tchart_tick> ticks = hours_ticks(injection + 60, injection + 3600, injection, 2);
    ASSERT_FALSE(ticks.empty());
    EXPECT_DOUBLE_EQ(ticks[0].time, injection + 0.5 * 3600);
}

struct Tlabel_case {
    const char* name;
    std::vector<Tlabel_box> boxes;
    std::vector<Tlabel_place> places;
};

class Marker_labels : public testing::TestWithParam<Tlabel_case> {};

// In a plot from 50 to 850 pixels.
TEST_P(Marker_labels, StayInsideAndApart)
{
    const std::vector<Tlabel_place> places = place_marker_labels(GetParam().boxes, 50, 850);
    ASSERT_EQ(places.size(), GetParam().places.size());
    for (size_t i = 0; i < places.size(); ++i) {
        EXPECT_EQ(places[i].shown, GetParam().places[i].shown) << i;
        if (!places[i].shown) continue;
        EXPECT_EQ(places[i].left, GetParam().places[i].left) << i;
        EXPECT_EQ(places[i].row, GetParam().places[i].row) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Marker_labels,
    testing::Values(Tlabel_case{"apart", {{100, 80}, {400, 80}}, {{true, 100, 0}, {true, 400, 0}}},
                    Tlabel_case{"at_the_right_edge", {{800, 80}}, {{true, 720, 0}}},
                    Tlabel_case{"at_the_left_edge", {{50, 80}}, {{true, 50, 0}}},
                    Tlabel_case{"wider_than_the_room_on_the_left", {{100, 900}}, {{true, 50, 0}}},
                    Tlabel_case{"line_outside", {{49, 80}, {851, 80}}, {{false, 0, 0}, {false, 0, 0}}},
                    Tlabel_case{"crowded",
                                {{100, 80}, {120, 80}, {150, 80}, {200, 80}},
                                {{true, 100, 0}, {true, 120, 1}, {true, 150, 2}, {true, 200, 0}}},
                    Tlabel_case{"crowded_at_the_edge", {{790, 80}, {800, 80}}, {{true, 710, 0}, {true, 720, 1}}},
                    Tlabel_case{"hidden_take_no_room", {{40, 80}, {60, 80}}, {{false, 0, 0}, {true, 60, 0}}}),
    [](const testing::TestParamInfo<Tlabel_case>& info) { return std::string(info.param.name); });

TEST(Chart_file, PdfByNameElsePng)
{
    EXPECT_TRUE(chart_file_is_pdf("/tmp/curve.pdf"));
    EXPECT_TRUE(chart_file_is_pdf("CURVE.PDF"));
    EXPECT_FALSE(chart_file_is_pdf("curve.png"));
    EXPECT_FALSE(chart_file_is_pdf("pdf"));
    EXPECT_FALSE(chart_file_is_pdf(nullptr));
}

}  // namespace
