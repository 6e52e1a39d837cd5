#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

#include "Curve_fixtures.h"
#include "analysis/Analysis_text.h"
#include "analysis/Discharge.h"
#include "analysis/Tracer_analysis.h"
#include "analysis/Tracer_inputs.h"

namespace {

constexpr double BACKGROUND_PPB = 0.12;
constexpr double BEFORE_S = 1800;  // rows from half an hour before the injection

struct Tknown_case {
    const char* name;
    Tadvection_dispersion curve;
    double noise;
    unsigned seed;
};

// Rows of the curve over background with the simulator's noise, from half
// an hour before the injection until twelve standard deviations after the
// mean (well back to background).
std::vector<Tmeasure_row> noisy_rows(const Tknown_case& c)
{
    Tnoisy_lamp lamp(c.noise, c.seed);
    const double end = c.curve.mean_s() + 12 * std::sqrt(c.curve.variance_s2());
    return curve_rows([&](double t) { return lamp(BACKGROUND_PPB + c.curve.ppb_at(t)); }, -BEFORE_S, end);
}

Ttracer_inputs inputs_of(const Tadvection_dispersion& curve)
{
    Ttracer_inputs inputs;
    inputs.injection_utc = INJECTION_UTC;
    inputs.mass_g[0] = curve.mass_g;
    inputs.discharge_l_s = curve.q_l_s;
    inputs.distance_m = curve.x_m;
    return inputs;
}

Tlamp_analysis analyse(const std::vector<Tmeasure_row>& rows, const Ttracer_inputs& inputs,
                       const Tdischarge& discharge)
{
    const std::vector<Tlamp_analysis> lamps = analyse_tracer_test(rows, inputs, discharge);
    EXPECT_EQ(lamps.size(), 1u);
    return lamps.empty() ? Tlamp_analysis{} : lamps[0];
}

Tdischarge constant(double q)
{
    Tdischarge discharge;
    discharge.set_constant(q);
    return discharge;
}

const Tadvection_dispersion KARST = {850, 0.25, 5.0, 50, 500};  // mean 3400 s, Peclet 42.5

class Known_curve : public testing::TestWithParam<Tknown_case> {};

TEST_P(Known_curve, GivesBackItsMassMeanAndDispersion)
{
    const Tknown_case& c = GetParam();
    const Tlamp_analysis a = analyse(noisy_rows(c), inputs_of(c.curve), constant(c.curve.q_l_s));
    for (int result = 0; result < RESULT_COUNT; ++result)
        EXPECT_EQ(a.figures[result].state, Tfigure_state::available) << result << ": " << a.figures[result].reason;
    EXPECT_NEAR(a.figures[RESULT_BACKGROUND].value, BACKGROUND_PPB,
                0.001 + 4 * a.background_sd / std::sqrt(BEFORE_S / 10));
    EXPECT_NEAR(a.figures[RESULT_MASS].value, c.curve.mass_g, 0.02 * c.curve.mass_g);
    EXPECT_NEAR(a.figures[RESULT_RECOVERY].value, 100.0, 2.0);
    EXPECT_NEAR(a.figures[RESULT_MEAN_RESIDENCE].value, c.curve.mean_s(), 0.01 * c.curve.mean_s());
    EXPECT_NEAR(a.figures[RESULT_DISPERSION].value, c.curve.d_m2_s, 0.05 * c.curve.d_m2_s);
    const double peclet = c.curve.x_m * c.curve.v_m_s / c.curve.d_m2_s;
    EXPECT_NEAR(a.figures[RESULT_PECLET].value, peclet, 0.05 * peclet);
    EXPECT_NEAR(a.figures[RESULT_VELOCITY_MEAN].value, c.curve.v_m_s, 0.01 * c.curve.v_m_s);
    EXPECT_LT(a.figures[RESULT_FIRST_ARRIVAL].value, a.figures[RESULT_PEAK_TIME].value);
    EXPECT_LT(a.figures[RESULT_PEAK_TIME].value, c.curve.mean_s());  // dispersion brings the peak forward
}

INSTANTIATE_TEST_SUITE_P(
    SampledEvery10s, Known_curve,
    testing::Values(Tknown_case{"karst_default_noise", KARST, 0.05, 1},
                    Tknown_case{"karst_twenty_times_the_noise", KARST, 1.0, 2},
                    Tknown_case{"slow_long_test", {2000, 0.05, 2.0, 200, 100}, 0.05, 3},
                    Tknown_case{"fast_sharp_pulse", {300, 1.0, 3.0, 5, 200}, 0.05, 4}),
    [](const testing::TestParamInfo<Tknown_case>& info) { return std::string(info.param.name); });

// What a change to the rows or the inputs does to the figures' states.
struct Tstate_case {
    const char* name;
    std::function<void(std::vector<Tmeasure_row>*, Ttracer_inputs*, Tdischarge*)> change;
    Tfigure_state arrival, peak, mass, recovery, mean, dispersion;
    const char* reason;  // of the mass figure, when not available
};

constexpr Tfigure_state OK = Tfigure_state::available;
constexpr Tfigure_state PROVISIONAL = Tfigure_state::provisional;
constexpr Tfigure_state NONE = Tfigure_state::not_available;

// Rows whose time after the injection satisfies the predicate are removed.
void drop_rows(std::vector<Tmeasure_row>* rows, const std::function<bool(double)>& drop)
{
    std::erase_if(*rows, [&](const Tmeasure_row& row) { return drop(row.timestamp - INJECTION_UTC); });
}

const Tstate_case STATE_CASES[] = {
    {"untouched", [](auto*, auto*, auto*) {}, OK, OK, OK, OK, OK, OK, ""},
    {"gap_of_two_rows_is_bridged",
     [](auto* rows, auto*, auto*) { drop_rows(rows, [](double t) { return t > 3400 && t < 3430; }); }, OK, OK, OK,
     OK, OK, OK, ""},
    {"undefined_values_in_the_curve_leave_a_gap",
     [](auto* rows, auto*, auto*) {
         for (Tmeasure_row& row : *rows)
             if (row.timestamp > INJECTION_UTC + 3400 && row.timestamp < INJECTION_UTC + 3700)
                 row.ppb[0] = undefined_float();
     },
     OK, OK, PROVISIONAL, PROVISIONAL, PROVISIONAL, PROVISIONAL, "gaps longer than 3 sampling intervals"},
    {"gap_before_the_arrival",
     [](auto* rows, auto*, auto*) { drop_rows(rows, [](double t) { return t > 600 && t < 1500; }); }, PROVISIONAL,
     OK, OK, OK, OK, OK, ""},
    // Rows as high as the peak border the gap: the true peak may have fallen in it.
    {"gap_at_the_peak",
     [](auto* rows, auto*, auto*) { drop_rows(rows, [](double t) { return t > 3150 && t < 3400; }); }, OK,
     PROVISIONAL, PROVISIONAL, PROVISIONAL, PROVISIONAL, PROVISIONAL, "gaps longer than 3 sampling intervals"},
    {"still_rising",
     [](auto* rows, auto*, auto*) { drop_rows(rows, [](double t) { return t > 2800; }); }, OK, PROVISIONAL,
     PROVISIONAL, PROVISIONAL, PROVISIONAL, PROVISIONAL, "has not come back to background"},
    {"past_the_peak_not_yet_back",
     [](auto* rows, auto*, auto*) { drop_rows(rows, [](double t) { return t > 5000; }); }, OK, OK, PROVISIONAL,
     PROVISIONAL, PROVISIONAL, PROVISIONAL, "has not come back to background"},
    {"not_yet_arrived",
     [](auto* rows, auto*, auto*) { drop_rows(rows, [](double t) { return t > 1000; }); }, NONE, NONE, NONE, NONE,
     NONE, NONE, "has not arrived"},
    {"no_distance", [](auto*, Ttracer_inputs* in, auto*) { in->distance_m = undefined_double(); }, OK, OK, OK, OK,
     OK, NONE, ""},
    {"no_injected_mass", [](auto*, Ttracer_inputs* in, auto*) { in->mass_g[0] = undefined_double(); }, OK, OK, OK,
     NONE, OK, OK, ""},
    {"no_discharge", [](auto*, auto*, Tdischarge* q) { *q = Tdischarge(); }, OK, OK, NONE, NONE, OK, OK,
     "no discharge given"},
    {"no_rows_before_the_injection",
     [](auto* rows, auto*, auto*) { drop_rows(rows, [](double t) { return t < 0; }); }, NONE, NONE, NONE, NONE, NONE,
     NONE, "no rows before the injection"},
    {"typed_background_without_rows_before",
     [](auto* rows, Ttracer_inputs* in, auto*) {
         drop_rows(rows, [](double t) { return t < 0; });
         in->background_ppb[0] = BACKGROUND_PPB;
     },
     OK, OK, OK, OK, OK, OK, ""},
    {"discharge_file_covering_the_whole_test",
     [](auto*, auto*, Tdischarge* q) {
         std::string error;
         ASSERT_TRUE(q->read_rows("1796722000;500\n1796754000;500\n", &error)) << error;
     },
     OK, OK, OK, OK, OK, OK, ""},
    {"discharge_file_ending_before_the_tail",
     [](auto*, auto*, Tdischarge* q) {
         std::string error;
         ASSERT_TRUE(q->read_rows("time;discharge\n08.12.2026 09:00:00;500\n08.12.2026 11:00:00;500\n", &error))
             << error;
     },
     OK, OK, PROVISIONAL, PROVISIONAL, PROVISIONAL, PROVISIONAL, "covers 08.12.2026 09:00:00 to 08.12.2026 11:00:00"},
};

class Figure_states : public testing::TestWithParam<Tstate_case> {};

TEST_P(Figure_states, FollowWhatTheRowsAndInputsAllow)
{
    const Tstate_case& c = GetParam();
    const Tknown_case known = {"", KARST, 0.05, 7};
    std::vector<Tmeasure_row> rows = noisy_rows(known);
    Ttracer_inputs inputs = inputs_of(KARST);
    Tdischarge discharge = constant(KARST.q_l_s);
    c.change(&rows, &inputs, &discharge);
    const Tlamp_analysis a = analyse(rows, inputs, discharge);
    const Tfigure* f = a.figures;
    EXPECT_EQ(f[RESULT_FIRST_ARRIVAL].state, c.arrival) << f[RESULT_FIRST_ARRIVAL].reason;
    EXPECT_EQ(f[RESULT_PEAK_TIME].state, c.peak) << f[RESULT_PEAK_TIME].reason;
    EXPECT_EQ(f[RESULT_MASS].state, c.mass) << f[RESULT_MASS].reason;
    EXPECT_EQ(f[RESULT_RECOVERY].state, c.recovery) << f[RESULT_RECOVERY].reason;
    EXPECT_EQ(f[RESULT_MEAN_RESIDENCE].state, c.mean) << f[RESULT_MEAN_RESIDENCE].reason;
    EXPECT_EQ(f[RESULT_DISPERSION].state, c.dispersion) << f[RESULT_DISPERSION].reason;
    EXPECT_NE(f[RESULT_MASS].reason.find(c.reason), std::string::npos) << f[RESULT_MASS].reason;
    // A figure that is there looks plausible; one that is not has no number.
    for (int result = 0; result < RESULT_COUNT; ++result) {
        if (f[result].state == Tfigure_state::available)
            EXPECT_TRUE(f[result].reason.empty()) << result;
        else
            EXPECT_FALSE(f[result].reason.empty()) << result;
    }
    if (c.mass == OK) {
        EXPECT_NEAR(f[RESULT_MASS].value, KARST.mass_g, 0.02 * KARST.mass_g);
    }
}

INSTANTIATE_TEST_SUITE_P(Karst, Figure_states, testing::ValuesIn(STATE_CASES),
                         [](const testing::TestParamInfo<Tstate_case>& info) { return std::string(info.param.name); });

TEST(Peak, AtAGapSaysWhereTheCurveMayHaveBeenHigher)
{
    std::vector<Tmeasure_row> rows = noisy_rows({"", KARST, 0.05, 9});
    drop_rows(&rows, [](double t) { return t > 3150 && t < 3400; });
    const Tlamp_analysis a = analyse(rows, inputs_of(KARST), constant(KARST.q_l_s));
    for (const Tresult result : {RESULT_PEAK_TIME, RESULT_PEAK_PPB}) {
        EXPECT_EQ(a.figures[result].state, PROVISIONAL);
        EXPECT_NE(a.figures[result].reason.find("no rows for 250 s from 3150 s on, beside rows as high as the peak"),
                  std::string::npos)
            << a.figures[result].reason;
    }
    // Velocities from the peak take its state.
    EXPECT_EQ(a.figures[RESULT_VELOCITY_PEAK].state, PROVISIONAL);
}

TEST(Rows, InAnyOrderAndRepeatedGiveTheSameAnswers)
{
    const Tknown_case known = {"", KARST, 0.05, 8};
    const std::vector<Tmeasure_row> rows = noisy_rows(known);
    std::vector<Tmeasure_row> shuffled = rows;
    // Every row twice, one copy 1 ppb high and one 1 ppb low: the mean of a
    // repeated time is the row itself.
    for (const Tmeasure_row& row : rows) {
        Tmeasure_row high = row, low = row;
        high.ppb[0] += 1.0f;
        low.ppb[0] -= 1.0f;
        shuffled.push_back(high);
        shuffled.push_back(low);
    }
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(5));
    const Ttracer_inputs inputs = inputs_of(KARST);
    const Tlamp_analysis sorted = analyse(rows, inputs, constant(KARST.q_l_s));
    const Tlamp_analysis mixed = analyse(shuffled, inputs, constant(KARST.q_l_s));
    for (int result = 0; result < RESULT_COUNT; ++result) {
        EXPECT_EQ(mixed.figures[result].state, sorted.figures[result].state) << result;
        EXPECT_NEAR(mixed.figures[result].value, sorted.figures[result].value,
                    1e-4 * std::fabs(sorted.figures[result].value))
            << result;
    }
}

TEST(Rows, DischargeChangingDuringTheTestWeighsTheMassFlux)
{
    // Half the curve at 500 L/s, the rest at 250 L/s: the concentration of
    // the second half doubles (same mass flux), the moments stay.
    std::string error;
    Tdischarge discharge;
    ASSERT_TRUE(discharge.read_rows("1796722000;500\n1796727399;500\n1796727401;250\n1796760000;250\n", &error));
    Tnoisy_lamp lamp(0.05, 9);
    const double end = KARST.mean_s() + 12 * std::sqrt(KARST.variance_s2());
    const auto rows = curve_rows(
        [&](double t) { return lamp(BACKGROUND_PPB + KARST.ppb_at(t) * (t > 3400 ? 2.0 : 1.0)); }, -BEFORE_S, end);
    const Tlamp_analysis a = analyse(rows, inputs_of(KARST), discharge);
    EXPECT_EQ(a.figures[RESULT_MASS].state, Tfigure_state::available) << a.figures[RESULT_MASS].reason;
    EXPECT_NEAR(a.figures[RESULT_MASS].value, KARST.mass_g, 0.02 * KARST.mass_g);
    EXPECT_NEAR(a.figures[RESULT_MEAN_RESIDENCE].value, KARST.mean_s(), 0.01 * KARST.mean_s());
}

}  // namespace

namespace {

// The curve of a slow test: 1000 m at 0.01 m/s, D 1 m2/s (mean 100,000 s,
// variance 2e9 s2, Peclet 10), 100 g into 100 L/s.
const Tadvection_dispersion SLOW = {1000, 0.01, 1.0, 100, 100};
constexpr double MINUTE = 60, HOUR = 3600, DAY = 86400;

// What a long field record looks like and what the answers must stay within.
struct Tfield_case {
    const char* name;
    double noise_sd;       // ppb, normal
    double typed_offset;   // ppb added to the true background and typed; NaN: from the rows before
    double record_end;     // s after the injection
    double slow_after;     // rows every 2 h from here on
    double before;         // s of rows before the injection
    double dye;            // share of SLOW's mass injected
    double mass_tolerance, peclet_tolerance;  // relative
    Tfigure_state mass_state, variance_state;
    const char* reason;  // of the variance
};

std::vector<Tmeasure_row> field_rows(const Tfield_case& c)
{
    std::mt19937 rng(11);
    std::normal_distribution<double> noise(0.0, c.noise_sd > 0 ? c.noise_sd : 1.0);
    std::vector<Tmeasure_row> rows;
    for (double t = -c.before; t <= c.record_end; t += t < c.slow_after ? 15 * MINUTE : 2 * HOUR) {
        const double ppb = 0.1 + c.dye * SLOW.ppb_at(t) + (c.noise_sd > 0 ? noise(rng) : 0.0);
        const auto row = curve_rows([ppb](double) { return ppb; }, t, t);
        rows.insert(rows.end(), row.begin(), row.end());
    }
    return rows;
}

const double FROM_ROWS = std::numeric_limits<double>::quiet_NaN();

const Tfield_case FIELD_CASES[] = {
    {"thirty_days_background_from_the_rows_before", 0.005, FROM_ROWS, 30 * DAY, 1e300, DAY, 1, 0.02, 0.15, OK, OK,
     ""},
    {"thirty_days_typed_background_half_a_standard_error_high", 0.005, 0.0005, 30 * DAY, 1e300, DAY, 1, 0.02, 0.15,
     OK, OK, ""},
    {"fifteen_minutes_then_every_two_hours", 0.005, FROM_ROWS, 30 * DAY, 48 * HOUR, DAY, 1, 0.02, 0.10, OK, OK, ""},
    {"noise_free_to_the_end", 0.0, FROM_ROWS, 30 * DAY, 1e300, DAY, 1, 0.02, 0.05, OK, OK, ""},
    {"record_stops_on_the_falling_limb", 0.0, FROM_ROWS, 3 * DAY, 1e300, DAY, 1, 0.02, 0.10, PROVISIONAL, PROVISIONAL,
     "extrapolated exponentially beyond the last row for 0.7 % of the mass"},
    {"faint_dye_and_an_hour_of_background", 0.005, FROM_ROWS, 30 * DAY, 1e300, HOUR, 0.02, 0.05, 0.20, OK, PROVISIONAL,
     "moving the background by its standard error (0.00"},
};

class Field_record : public testing::TestWithParam<Tfield_case> {};

TEST_P(Field_record, AnswersHoldOnLongAndUnevenRecords)
{
    const Tfield_case& c = GetParam();
    Ttracer_inputs inputs = inputs_of(SLOW);
    inputs.mass_g[0] *= c.dye;
    if (!std::isnan(c.typed_offset))
        inputs.background_ppb[0] = 0.1 + c.typed_offset;
    const Tlamp_analysis a = analyse(field_rows(c), inputs, constant(SLOW.q_l_s));
    const double peclet = 10.0;
    EXPECT_EQ(a.figures[RESULT_MASS].state, c.mass_state) << a.figures[RESULT_MASS].reason;
    EXPECT_EQ(a.figures[RESULT_VARIANCE].state, c.variance_state) << a.figures[RESULT_VARIANCE].reason;
    EXPECT_NE(a.figures[RESULT_VARIANCE].reason.find(c.reason), std::string::npos) << a.figures[RESULT_VARIANCE].reason;
    EXPECT_NEAR(a.figures[RESULT_MASS].value, c.dye * SLOW.mass_g, c.mass_tolerance * c.dye * SLOW.mass_g);
    EXPECT_NEAR(a.figures[RESULT_PECLET].value, peclet, c.peclet_tolerance * peclet)
        << a.figures[RESULT_PECLET].reason << " variance " << a.figures[RESULT_VARIANCE].value;
    EXPECT_NEAR(a.figures[RESULT_MEAN_RESIDENCE].value, SLOW.mean_s(), 0.05 * SLOW.mean_s());
    if (c.mass_state == OK) {
        EXPECT_TRUE(a.curve_end.has_value());
        EXPECT_LT(a.curve_end.value, 15 * DAY);  // weeks of noise after it are left out
    }
}

// A published pulse test: readings every 5 min, 0 3 5 5 4 2 1 0, whose
// mean is 15 min and variance 47.5 min2.
TEST(Rows, PublishedPulseGivesItsMeanAndVariance)
{
    const double readings[] = {0, 3, 5, 5, 4, 2, 1, 0};
    const auto rows = curve_rows([&](double t) { return readings[size_t(t / 300)]; }, 0, 2100, 300);
    Ttracer_inputs inputs;
    inputs.injection_utc = INJECTION_UTC;
    inputs.background_ppb[0] = 0.0;
    const Tlamp_analysis a = analyse(rows, inputs, Tdischarge());
    EXPECT_NEAR(a.figures[RESULT_MEAN_RESIDENCE].value, 15 * MINUTE, 1e-9);
    EXPECT_NEAR(a.figures[RESULT_VARIANCE].value, 47.5 * MINUTE * MINUTE, 1e-6);
}

TEST(Figure_text, PeopleReadFourDigitsScriptsFullPrecision)
{
    const struct {
        Tresult result;
        double value;
        const char* shown;
        const char* written;
    } cases[] = {
        {RESULT_VARIANCE, 2e9, "2.000e9", "2000000000"},
        {RESULT_VARIANCE, 1072166386, "1.072e9", "1072166386"},
        {RESULT_MEAN_RESIDENCE, 100000, "100000 (27.8 h)", "100000"},
        {RESULT_MEAN_RESIDENCE, 2592000.4, "2592000 (30.0 d)", "2592000.4"},
        {RESULT_FIRST_ARRIVAL, 7000, "7000", "7000"},
        {RESULT_MASS, 0.0127278, "0.01273", "0.0127278"},
        {RESULT_PECLET, 9.99996, "10.00", "9.99996"},
        {RESULT_VELOCITY_MEAN, 0.01, "0.01000 (36.00 m/h)", "0.01"},
        {RESULT_DISPERSION, 0.00005, "5.000e-5", "0.00005"},
        {RESULT_PEAK_PPB, 12.3456, "12.35", "12.346"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        EXPECT_EQ(figure_display_text(Tfigure::of(c.value), c.result), c.shown);
        EXPECT_EQ(figure_text(Tfigure::of(c.value), c.result), c.written);
    }
    EXPECT_EQ(figure_display_text(Tfigure::missing("why"), RESULT_MASS), "-");
}

// A lamp is analysed when its tracer was injected or its curve rises; one
// that only shows its background (another dye's lamp of the test) is not.
TEST(Lamp_choice, OnlyLampsWithAMassOrARisingCurve)
{
    const struct {
        const char* name;
        bool rising;
        bool rows;
        double mass_g;
        double background_ppb;
        bool analysed;
    } cases[] = {
        {"rising curve, no mass", true, true, undefined_double(), undefined_double(), true},
        {"background only", false, true, undefined_double(), undefined_double(), false},
        {"background only, typed background", false, true, undefined_double(), 0.12, false},
        {"background only, mass", false, true, 500, undefined_double(), true},
        {"no rows, mass", false, false, 500, undefined_double(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Ttracer_inputs inputs;
        inputs.injection_utc = INJECTION_UTC;
        inputs.mass_g[1] = c.mass_g;
        inputs.background_ppb[1] = c.background_ppb;
        Tlamp_series series;
        for (double t = -BEFORE_S; c.rows && t < 20000; t += 10)
            series[1].push_back({INJECTION_UTC + t, BACKGROUND_PPB + (c.rising ? KARST.ppb_at(t) : 0.0) +
                                                          (int(t / 10) % 2 ? 0.002 : -0.002)});
        const std::vector<Tlamp_analysis> lamps = analyse_lamp_series(series, inputs, constant(KARST.q_l_s));
        ASSERT_EQ(lamps.size(), c.analysed ? 1u : 0u);
        if (c.analysed) {
            EXPECT_EQ(lamps[0].lamp, 1);
        }
    }
}

// Why figures are provisional or missing reads as one sentence per lamp:
// figures of the same state and reason together, in people's words.
TEST(Reason_sentences, OneSentencePerLamp)
{
    const auto lamp_with = [](std::initializer_list<std::pair<std::vector<Tresult>, Tfigure>> groups) {
        Tlamp_analysis lamp;
        lamp.lamp = 2;
        for (Tfigure& figure : lamp.figures)
            figure = Tfigure::of(1.0);
        for (const auto& [results, figure] : groups)
            for (Tresult result : results)
                lamp.figures[result] = figure;
        return lamp;
    };
    const Tfigure provisional = {Tfigure_state::provisional, 1.0, "the curve may still be rising"};
    const std::vector<Tresult> beyond_background = {
        RESULT_FIRST_ARRIVAL, RESULT_PEAK_TIME, RESULT_PEAK_PPB, RESULT_MASS, RESULT_RECOVERY,
        RESULT_MEAN_RESIDENCE, RESULT_VARIANCE, RESULT_VELOCITY_FIRST, RESULT_VELOCITY_PEAK, RESULT_VELOCITY_MEAN,
        RESULT_DISPERSION, RESULT_DISPERSIVITY, RESULT_PECLET};
    std::vector<Tresult> every = beyond_background;
    every.push_back(RESULT_BACKGROUND);
    const struct {
        Tlamp_analysis lamp;
        const char* sentence;
    } cases[] = {
        {lamp_with({}), ""},
        {lamp_with({{every, Tfigure::missing("no injection time given")}}),
         "Lamp C: no figure is available (no injection time given).\n"},
        {lamp_with({{beyond_background, Tfigure::missing("the dye has not arrived")}}),
         "Lamp C: every figure beyond the background is not available (the dye has not arrived).\n"},
        {lamp_with({{{RESULT_PEAK_TIME, RESULT_PEAK_PPB}, provisional},
                    {{RESULT_RECOVERY}, Tfigure::missing("no injected mass given")},
                    {{RESULT_VELOCITY_FIRST, RESULT_VELOCITY_PEAK, RESULT_VELOCITY_MEAN, RESULT_DISPERSION,
                      RESULT_DISPERSIVITY, RESULT_PECLET},
                     Tfigure::missing("no distance given")}}),
         "Lamp C: peak time and peak are provisional (the curve may still be rising); recovery is not available "
         "(no injected mass given); velocities, dispersion, dispersivity and Peclet number are not available (no "
         "distance given).\n"},
        // Another reason of the same state stands apart; a lone velocity is named.
        {lamp_with({{{RESULT_MASS}, provisional},
                    {{RESULT_VELOCITY_PEAK}, Tfigure::missing("no time after the injection")},
                    {{RESULT_VARIANCE}, {Tfigure_state::provisional, 1.0, "a peak next to a gap"}}}),
         "Lamp C: recovered mass is provisional (the curve may still be rising); variance is provisional (a peak "
         "next to a gap); velocity at peak is not available (no time after the injection).\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sentence);
        std::string text;
        analysis_reasons_text(c.lamp, &text);
        EXPECT_EQ(text, c.sentence);
    }
}

INSTANTIATE_TEST_SUITE_P(Slow, Field_record, testing::ValuesIn(FIELD_CASES),
                         [](const testing::TestParamInfo<Tfield_case>& info) { return std::string(info.param.name); });

}  // namespace
