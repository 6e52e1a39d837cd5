#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Tool_fixtures.h"
#include "analysis/Analysis_text.h"
#include "analysis/Input_text.h"
#include "analysis/Time_text.h"
#include "calibration/Calibration_calc.h"
#include "calibration/Sample_table.h"
#include "events/My_string.h"
#include "events/Time_zone.h"
#include "link/Lumo_data.h"
#include "sim/Breakthrough.h"
#include "sim/Zeta_answer.h"
#include "view/Lumo2_view_master.h"

namespace {

constexpr int INJECTION = 1796724000;  // 08.12.2026 10:00:00 UTC
constexpr int CONFIGURATION_I_II_III = 1;
constexpr unsigned char ALL_LAMPS = 'O';
enum { WATER = 1, NTU_1, NTU_10, NTU_100, PPB_10, PPB_100 };  // standard concentration codes

// The simulator's answer to an all-lamps request, parsed as the view
// master parses a text line.
void read_answer(const Tzeta_reading& reading, Tlumo_sample* record)
{
    record->reset();
    parse_text_line(record, text_answer(ALL_LAMPS, reading, false, INJECTION, 1).c_str());
}

// A calibration of the simulator's standards (water; uranine, sulforhodamine
// B and amino G acid at 10 and 100 ppb; 1, 10, 100 NTU) as the calibration
// window takes it; the constants file's path.
std::string simulator_constants(const Ttemp_dir& dir)
{
    const Tzeta_model model;
    sample_table table;
    const auto store = [&](int tracer_code, int concentration, Tcell cell) {
        auto* sample = new Tlumo_sample;
        read_answer(model.reading(cell), sample);
        sample->tracer = uint8_t(tracer_code);
        sample->concentration = uint8_t(concentration);
        ASSERT_TRUE(sample_table_add(&table, sample, CONFIGURATION_I_II_III));
    };
    store(tracer::water, WATER, {});
    const int tracers[3] = {tracer::uranine, tracer::sulforhodamine_b, tracer::amino_g_acid};
    for (int code : tracers)
        for (const auto& [concentration, ppb] : {std::pair{PPB_10, 10.0}, {PPB_100, 100.0}}) {
            Tcell cell;
            cell.ppb[code] = ppb;
            store(code, concentration, cell);
        }
    for (const auto& [concentration, ntu] : {std::pair{NTU_1, 1.0}, {NTU_10, 10.0}, {NTU_100, 100.0}}) {
        Tcell cell;
        cell.ntu = ntu;
        store(tracer::water, concentration, cell);
    }
    Tlumo_calibration_calc calc;
    calc.set_header(2, 4711, 2026, 12, 1);
    calc.compute(&table);
    for (int lamp = 0; lamp < 3; ++lamp)
        calc.set_lamp_tracer(char('A' + lamp), uint8_t(tracers[lamp]));
    EXPECT_EQ(calc.check_validity(), 0);
    Tmy_string text;
    calc.write_legacy_text(&text);
    dir.write("constants.dat", text.c_str());
    return dir.file("constants.dat");
}

// The simulator's breakthrough scenario as zeta-sim starts it, injected at
// INJECTION, answered every 10 s from half an hour before to ten transit
// times after with the simulator's default noise; each answer parsed,
// converted and tabled by the view master, the table saved. The table's path.
std::string breakthrough_table(const Ttemp_dir& dir, const Tbreakthrough& scenario)
{
    Tlumo2_view_master live;
    live.load_calibration(simulator_constants(dir).c_str());
    EXPECT_TRUE(live.constants.valid);
    const Tzeta_model model;
    std::mt19937 rng(1);
    for (int t = -1800; t <= 10 * scenario.transit_s; t += 10) {
        Tcell cell;
        cell.ppb[scenario.tracer_code] = scenario.ppb_at(t);
        Tzeta_reading reading = model.reading(cell);
        model.add_noise(reading, 0.05, rng);
        Tlumo_measure record;
        read_answer(reading, &record);
        record.timestamp = INJECTION + t;
        live.convert(&record);
        live.table.table_add(&record);
    }
    live.table_save(dir.file("table.csv").c_str());
    return dir.file("table.csv");
}

// The lines of a ";" text, split into cells; false when a line does not end
// with CR LF.
bool lines_of(const std::string& text, std::vector<std::vector<std::string>>* lines)
{
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t end = rest.find("\r\n");
        if (end == std::string_view::npos || rest.substr(0, end).find('\n') != std::string_view::npos)
            return false;
        std::vector<std::string>& cells = lines->emplace_back();
        for (std::string_view line = rest.substr(0, end);;) {
            const size_t semicolon = line.find(';');
            cells.emplace_back(line.substr(0, semicolon));
            if (semicolon == std::string_view::npos)
                break;
            line.remove_prefix(semicolon + 1);
        }
        rest.remove_prefix(end + 2);
    }
    return true;
}

const char RESULTS_HEADER[] =
    "lamp;background_ppb;first_arrival_s;peak_time_s;peak_ppb;mass_g;recovery_percent;mean_residence_s;"
    "variance_s2;velocity_first_m_s;velocity_peak_m_s;velocity_mean_m_s;dispersion_m2_s;dispersivity_m;peclet";

enum { CELL_LAMP, CELL_BACKGROUND, CELL_ARRIVAL, CELL_PEAK_TIME, CELL_PEAK_PPB, CELL_MASS, CELL_RECOVERY,
       CELL_MEAN, CELL_VARIANCE, CELL_V_FIRST, CELL_V_PEAK, CELL_V_MEAN, CELL_DISPERSION, CELL_DISPERSIVITY,
       CELL_PECLET, CELLS };

double number(const std::string& cell)
{
    double value = 0;
    EXPECT_TRUE(parse_number_text(cell, &value)) << cell;
    return value;
}

TEST(Tool_analyze, SimulatorsBreakthroughComesBackThroughConversionAndTable)
{
    Tbreakthrough scenario;
    std::string error;
    ASSERT_TRUE(parse_breakthrough("breakthrough", scenario, error));  // zeta-sim --scenario breakthrough
    const Ttemp_dir dir;
    const std::string table = breakthrough_table(dir, scenario);
    const Ttool_run run = run_tool({"analyze", table, "--injection", "08.12.2026 10:00:00", "--discharge", "1",
                                    "--distance", "100", "-o", dir.file("results.csv")});
    ASSERT_EQ(run.status, TOOL_OK) << run.err;
    std::vector<std::vector<std::string>> lines;
    ASSERT_TRUE(lines_of(dir.read("results.csv"), &lines));
    // Lamps B and C carry the small cross-talk of the conversion, no dye, and
    // no mass is given for them: they are left out.
    ASSERT_EQ(lines.size(), 2u);
    const std::vector<std::string>& a = lines[1];
    ASSERT_EQ(a.size(), size_t(CELLS));
    EXPECT_EQ(a[CELL_LAMP], "A");
    EXPECT_NEAR(number(a[CELL_MEAN]), scenario.transit_s, 0.05 * scenario.transit_s);
    EXPECT_NEAR(number(a[CELL_PECLET]), scenario.peclet, 0.10 * scenario.peclet);
    EXPECT_NEAR(number(a[CELL_PEAK_TIME]), scenario.peak_time_s(), 10.0);
    EXPECT_NEAR(number(a[CELL_PEAK_PPB]), scenario.peak_ppb, 0.02 * scenario.peak_ppb);
    EXPECT_EQ(a[CELL_RECOVERY], "-");  // no injected mass given
    EXPECT_EQ(run.out.find('*'), run.out.find("* provisional"));  // nothing provisional
}

class Tool_analyze_files : public testing::Test {
protected:
    Tool_analyze_files()
    {
        // A short pulse on lamp A over 0.1 ppb +- 0.002, a minute between rows
        // (3042 ppb s in all); lamp B without dye; lamp C absent.
        std::string text = "Timestamp;Date;GMT;delta A;delta B;delta C;delta T;Temp;ppb A;ppb B;ppb C;NTU;\r\n";
        const double pulse[] = {0, 0, 0, 0, 0, 1, 4, 9, 12, 10, 7, 4, 2, 1, 0.5, 0.2, 0, 0, 0, 0, 0};
        for (int i = -5; i < 21; ++i) {
            const double ppb = 0.1 + (i >= 0 ? pulse[i] : 0) + (i % 2 ? 0.002 : -0.002);
            text += std::to_string(INJECTION + 60 * i) + ";-;0;-;-;-;-;-;" + fixed_number_text(ppb, 3) +
                    ";0.020;-;-;\r\n";
        }
        dir.write("table.csv", text);
        dir.write("q.csv", "time;discharge\r\n08.12.2026 09:00:00;100\r\n08.12.2026 11:00:00;300\r\n");
    }

    Ttool_run analyze(std::vector<std::string> words)
    {
        words.insert(words.begin(), {"analyze", dir.file("table.csv")});
        return run_tool(words);
    }

    Ttemp_dir dir;
};

TEST_F(Tool_analyze_files, WritesOneLinePerLampForScripts)
{
    // A journal whose writer stopped mid-row: that row is left out.
    dir.write("table.csv", dir.read("table.csv") + "1796725260;-;0;-;-;-;-;-;50.0");
    const Ttool_run run = analyze({"--injection", "1796724000", "--mass", "A=2.5", "--mass", "B=1", "--discharge-file",
                                   dir.file("q.csv"), "-o", dir.file("out.csv")});
    ASSERT_EQ(run.status, TOOL_OK) << run.err;
    EXPECT_NE(run.err.find("the last line has no line end (cut off mid-row): left out"), std::string::npos);
    const std::string text = dir.read("out.csv");
    EXPECT_EQ(text.substr(0, text.find("\r\n")), RESULTS_HEADER);
    std::vector<std::vector<std::string>> lines;
    ASSERT_TRUE(lines_of(text, &lines));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1][CELL_LAMP], "A");
    EXPECT_EQ(lines[1][CELL_ARRIVAL], "300");
    EXPECT_EQ(lines[1][CELL_PEAK_TIME], "480");
    EXPECT_EQ(lines[1][CELL_V_FIRST], "-");  // no distance
    EXPECT_EQ(lines[2][CELL_LAMP], "B");
    EXPECT_EQ(lines[2][CELL_BACKGROUND], "0.020");
    for (int cell = CELL_ARRIVAL; cell < CELLS; ++cell)
        EXPECT_EQ(lines[2][cell], "-") << cell;  // no dye on B
    for (const auto& line : lines)
        EXPECT_EQ(line.size(), size_t(CELLS));
    // The discharge rises from 100 to 300 L/s over the two hours: 200 L/s
    // at 10:00, 213 L/s at the peak at 10:08, 230 L/s at 10:15.
    const double mass = number(lines[1][CELL_MASS]);
    EXPECT_GT(mass, 3042 * 200 * 1e-6);
    EXPECT_LT(mass, 3042 * 230 * 1e-6);
    EXPECT_NEAR(number(lines[1][CELL_RECOVERY]), 100 * mass / 2.5, 0.01);
    EXPECT_NE(run.out.find("Recovered mass (g)"), std::string::npos);
}

// The printed results stand alone: the title with the site, the file read,
// every input, and why in sentences, not in the scripts' column names.
TEST_F(Tool_analyze_files, NamesItsSourcesAndInputsAndSaysWhyInSentences)
{
    const Ttool_run run = analyze({"--injection", "1796724000", "--mass", "A=2.5", "--mass", "B=1", "--discharge",
                                   "100", "--site", "Spring S1"});
    ASSERT_EQ(run.status, TOOL_OK) << run.err;
    const std::string table = dir.file("table.csv");
    for (const std::string& line : std::vector<std::string>{
             "Tracer test at Spring S1, injection 08.12.2026 10:00:00 UTC\n\n",
             "\nTable: " + table + "\nConstants: those the table was converted with (not recorded in it)\n",
             "\nInjection: 08.12.2026 10:00:00 UTC\nInjected mass A (g): 2.5\nInjected mass B (g): 1\n",
             "\nDistance (m): not given\n", "\nSite: Spring S1\n",
             "\nLamp A: velocities, dispersion, dispersivity and Peclet number are not available (no distance "
             "given).\n",
             "\nLamp B: every figure beyond the background is not available (the dye has not arrived",
         })
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    EXPECT_EQ(run.out.rfind("Tracer test at", 0), 0u);
    EXPECT_EQ(run.out.find("mass_g"), std::string::npos);
}

TEST_F(Tool_analyze_files, BadInputIsRefused)
{
    dir.write("bad_q.csv", "time;discharge\r\n1796724000;12.5\r\n1796727600;twelve\r\n");
    const struct {
        std::vector<std::string> words;
        const char* message;
    } cases[] = {
        {{"--injection", "09.12.2026 10:00:00", "--discharge", "5"}, "no rows from the injection (09.12.2026"},
        {{"--injection", "1796724000", "--discharge-file", dir.file("bad_q.csv")}, "line 3: the discharge is not"},
        {{"--injection", "1796724000", "--discharge-file", dir.file("none.csv")}, "unable to read"},
        {{"--injection", "1796724000", "--discharge", "5", "--mass", "A=-3"}, "mass of lamp A must be above 0 g"},
        {{"--injection", "1796724000", "--discharge", "5", "--mass", "T=3"}, "unknown lamp \"T\" (A, B or C)"},
        {{"--injection", "1796724000", "--discharge", "5", "--mass", "A:3"}, "--mass takes LAMP=NUMBER"},
        {{"--injection", "1796724000", "--discharge", "5", "--background", "A=0,1"}, "--background takes"},
        {{"--injection", "1796724000"}, "expects --discharge L/s or --discharge-file FILE"},
        {{"--injection", "1796724000", "--discharge", "5", "--discharge-file", dir.file("q.csv")}, "give one of them"},
        {{"--injection", "08.12.2026 25:00", "--discharge", "5"}, "--injection takes the time of the injection"},
        {{"--injection", "1796724000", "--discharge", "5", "--distance", "0"}, "distance must be above 0 m"},
        {{"--injection", "1796724000", "--discharge", "5", "--distance", "5", "--distance", "6"}, "given twice"},
        {{"--injection", "1796724000", "--discharge", "5 gal"}, "--discharge takes a number (decimal point) and a unit"},
        {{"--injection", "1796724000", "--discharge", "5", "--mass", "A=3 lb"}, "(g, kg or mg; g without a unit)"},
        {{"--injection", "1796724000", "--discharge", "5", "--max-gap", "0"}, "--max-gap takes a number of seconds"},
        {{"--injection", "1796724000", "--discharge", "5", "--time-zone", "Mars/Olympus"},
         "--time-zone: unknown time zone \"Mars/Olympus\""},
        {{"--injection", "29.03.2026 02:30", "--time-zone", "UTC+1", "--discharge", "5"}, "--time-zone: unknown"},
        {{"--injection", "1796724000", "--discharge", "5", "--column", "A=ppb A"}, "--column needs --time-column"},
        {{"--injection", "1796724000", "--discharge", "5", "--time-column", "Timestamp"},
         "--time-column needs one --column LAMP=NAME"},
        {{"--injection", "1796724000", "--discharge", "5", "--time-column", "Timestamp", "--column", "A"},
         "--column takes LAMP=NAME"},
        {{"--injection", "1796724000", "--discharge", "5", "--time-column", "Timestamp", "--column", "A=Uranin"},
         "line 1: column \"Uranin\" is not in the header (Timestamp, Date"},
        {{"--injection", "1796724000", "--discharge", "5", "--time-column", "Date", "--column", "A=ppb A"},
         "line 2: column \"Date\": \"-\" is not a time"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const Ttool_run run = analyze(c.words);
        EXPECT_EQ(run.status, TOOL_BAD_INPUT);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    dir.write("table.csv", "Timestamp;Date;GMT;delta A;delta B;delta C;delta T;Temp;ppb A;ppb B;ppb C;NTU;\r\n"
                           "1796724000;-;0;-;-;-;-;-;0.1x;-;-;-;\r\n");
    const Ttool_run run = analyze({"--injection", "1796724000", "--discharge", "5"});
    EXPECT_EQ(run.status, TOOL_BAD_INPUT);
    EXPECT_NE(run.err.find("line 2: column \"ppb A\": \"0.1x\" is not a value of the table"), std::string::npos)
        << run.err;
}

// The fixture's pulse as another logger exports it: local clock times of
// Europe/Paris, ";" and decimal commas, or ISO times with their offset and
// ","; its answers are the table's.
TEST_F(Tool_analyze_files, OtherLoggersFilesInLocalTimeGiveTheTablesAnswers)
{
    std::string error;
    Ttime_zone paris;
    if (!time_zone_named("Europe/Paris", &paris, &error))
        GTEST_SKIP() << error;
    const Ttool_run table = analyze({"--injection", "1796724000", "--mass", "A=2.5", "--discharge", "100", "-o",
                                     dir.file("table_results.csv")});
    ASSERT_EQ(table.status, TOOL_OK) << table.err;
    std::string german = "Zeit;Uranin;Sulfo\r\n", iso = "time,uranine_ppb\r\n";
    for (int i = -5; i < 21; ++i) {
        const double pulse[] = {0, 0, 0, 0, 0, 1, 4, 9, 12, 10, 7, 4, 2, 1, 0.5, 0.2, 0, 0, 0, 0, 0};
        std::string ppb = fixed_number_text(0.1 + (i >= 0 ? pulse[i] : 0) + (i % 2 ? 0.002 : -0.002), 3);
        const std::string local = zoned_date_text(INJECTION + 60 * i, paris);  // dd.mm.yyyy hh:mm:ss
        iso += local.substr(6, 4) + "-" + local.substr(3, 2) + "-" + local.substr(0, 2) + "T" + local.substr(11) +
               "+01:00," + ppb + "\r\n";
        ppb[ppb.find('.')] = ',';
        german += local + ";" + ppb + ";0,020\r\n";
    }
    dir.write("german.csv", german);
    dir.write("iso.csv", iso);
    const struct {
        const char* file;
        std::vector<std::string> columns;
    } cases[] = {
        {"german.csv", {"--time-column", "Zeit", "--column", "A=Uranin", "--column", "B=Sulfo"}},
        {"iso.csv", {"--time-column", "time", "--column", "A=uranine_ppb"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<std::string> words = {"analyze", dir.file(c.file), "--injection", "08.12.2026 11:00",
                                          "--time-zone", "Europe/Paris", "--mass", "A=2500mg", "--discharge",
                                          "0.1 m3/s", "-o", dir.file("results.csv")};
        words.insert(words.end(), c.columns.begin(), c.columns.end());
        const Ttool_run run = run_tool(words);
        ASSERT_EQ(run.status, TOOL_OK) << run.err;
        std::vector<std::vector<std::string>> lines, expected;
        ASSERT_TRUE(lines_of(dir.read("results.csv"), &lines));
        ASSERT_TRUE(lines_of(dir.read("table_results.csv"), &expected));
        ASSERT_EQ(lines[1].size(), size_t(CELLS));
        // The same figures of lamp A; the table keeps ppb in single precision.
        for (int cell = CELL_BACKGROUND; cell < CELLS; ++cell) {
            if (expected[1][cell] == "-")
                EXPECT_EQ(lines[1][cell], "-") << cell;
            else
                EXPECT_NEAR(number(lines[1][cell]), number(expected[1][cell]), 1e-6 * number(expected[1][cell]));
        }
        EXPECT_NE(run.out.find("Injection: 08.12.2026 10:00:00 UTC"), std::string::npos) << run.out;
    }
}

TEST_F(Tool_analyze_files, PrintsFourDigitsAndTellsWhenNothingCameOut)
{
    const Ttool_run run = analyze({"--injection", "2026-12-08T10:00Z", "--discharge", "100", "--distance", "1000"});
    ASSERT_EQ(run.status, TOOL_OK) << run.err;
    for (const char* line : {"First arrival (s)                                    300.0  ",
                             "End of the curve (s)                                 960.0  ",
                             "Velocity at first arrival (m/s)          3.333 (12000 m/h)  ",
                             "Pe = 2 t^2 / s^2", "closed-vessel"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    // Rows from the injection on, but no dye on any lamp after it.
    const Ttool_run none = analyze({"--injection", "08.12.2026 10:17:00", "--discharge", "100"});
    EXPECT_EQ(none.status, TOOL_NO_FIGURES);
    EXPECT_NE(none.err.find("no figure could be computed for any lamp"), std::string::npos) << none.err;
    EXPECT_NE(none.out.find(NO_LAMP_TEXT), std::string::npos) << none.out;
    // One row missing in the pulse: a step of 2 min among steps of 1 min is
    // bridged, unless --max-gap is shorter.
    std::string text = dir.read("table.csv");
    const size_t row = text.find(std::to_string(INJECTION + 600));
    text.erase(row, text.find('\n', row) + 1 - row);
    dir.write("table.csv", text);
    const Ttool_run bridged = analyze({"--injection", "1796724000", "--discharge", "100"});
    EXPECT_EQ(bridged.out.find("not bridged"), std::string::npos) << bridged.out;
    const Ttool_run gaps = analyze({"--injection", "1796724000", "--discharge", "100", "--max-gap", "90"});
    EXPECT_NE(gaps.out.find("1 gaps longer than 90 s not bridged (longest 120 s)"), std::string::npos) << gaps.out;
}

}  // namespace
