#include <gtest/gtest.h>

#include <functional>

#include "analysis/Discharge.h"
#include "analysis/Input_text.h"
#include "analysis/Logger_file.h"
#include "analysis/Time_text.h"
#include "analysis/Tracer_inputs.h"
#include "analysis/Tracer_test.h"
#include "events/Lib_cpp.h"
#include "events/Time_zone.h"
#include "support/Temp_dir.h"

namespace {

TEST(Utc_text, ReadsTheTablesDateAndSeconds)
{
    const struct {
        const char* text;
        bool ok;
        double seconds;
    } cases[] = {
        {"08.12.2026 10:00:00", true, 1796724000},
        {"01.01.1970 00:00:00", true, 0},
        {"29.02.2028 23:59:59", true, 1835481599},
        {"1796724000", true, 1796724000},
        {"1796724000.5", true, 1796724000.5},
        {"29.02.2027 10:00:00", false, 0},  // no leap year
        {"31.04.2026 10:00:00", false, 0},
        {"8.12.2026 10:00:00", false, 0},
        {"08.12.2026 24:00:00", false, 0},
        {"08.12.2026", false, 0},
        {"-5", false, 0},
        {"", false, 0},
        {"12,5", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        double seconds = -1;
        EXPECT_EQ(parse_utc_text(c.text, &seconds), c.ok);
        if (c.ok) {
            EXPECT_EQ(seconds, c.seconds);
        }
    }
    EXPECT_EQ(utc_date_text(1835481599), "29.02.2028 23:59:59");
}

constexpr double UTC_2026_10_25_0000 = 1792886400;  // the night summer time ends in Europe
constexpr double UTC_2026_03_29_0000 = 1774742400;  // the night it starts
constexpr double HOUR_S = 3600;

Ttime_zone central_europe()
{
    Ttime_zone zone;
    EXPECT_TRUE(zone.set_rule("CET-1CEST,M3.5.0,M10.5.0/3"));
    return zone;
}

TEST(Zoned_time_text, ReadsLoggersAndNotebooksTimes)
{
    const struct {
        const char* text;
        double not_before;
        bool ok;
        double utc;
    } cases[] = {
        {"1796724000.25", 0, true, 1796724000.25},
        {"2026-12-08 11:00", 0, true, 1796724000},  // winter: UTC+1
        {"2026-12-08T10:00:00Z", 0, true, 1796724000},
        {"2026-12-08T12:30:00.5+02:30", 0, true, 1796724000.5},
        {"2026-12-08 05:00 -0500", 0, true, 1796724000},
        {"08.12.2026 11:00:00", 0, true, 1796724000},
        {"08.12.2026 11:00:00+01", 0, true, 1796724000},
        {"25.10.2026 02:30", 0, true, UTC_2026_10_25_0000 + 0.5 * HOUR_S},  // the first of the repeated hour...
        {"25.10.2026 02:30", UTC_2026_10_25_0000 + HOUR_S, true, UTC_2026_10_25_0000 + 1.5 * HOUR_S},  // ...or the second
        {"29.03.2026 02:30", 0, false, 0},  // skipped by the clocks
        {"2026-12-08 11:00 CET", 0, false, 0},
        {"2026-13-08 11:00", 0, false, 0},
        {"08.12.2026", 0, false, 0},
        {"8.12.2026 11:00", 0, false, 0},
        {"", 0, false, 0},
    };
    const Ttime_zone zone = central_europe();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        double utc = -1;
        std::string error;
        EXPECT_EQ(parse_zoned_time_text(c.text, zone, c.not_before, &utc, &error), c.ok) << error;
        if (c.ok) {
            EXPECT_EQ(utc, c.utc);
        }
    }
    EXPECT_EQ(zoned_date_text(UTC_2026_03_29_0000 + 1.5 * HOUR_S, zone), "29.03.2026 03:30:00");
}

TEST(Zoned_time_text, SystemZoneFileAgreesWithItsRule)
{
    Ttime_zone paris;
    std::string error;
    if (!time_zone_named("Europe/Paris", &paris, &error))
        GTEST_SKIP() << error;
    const Ttime_zone rule = central_europe();
    for (double t = UTC_2026_03_29_0000 - 400 * 24 * HOUR_S; t < UTC_2026_10_25_0000 + 4000 * 24 * HOUR_S;
         t += 3 * HOUR_S + 17)
        ASSERT_EQ(paris.offset_at(t), rule.offset_at(t)) << std::fixed << t;
    EXPECT_EQ(paris.offset_at(0), 3600);            // 1970: no summer time
    EXPECT_EQ(paris.offset_at(-1577923200.0), 0);   // 1920, from the file's history
    EXPECT_FALSE(time_zone_named("Europe/Nowhere", &paris, &error));
    EXPECT_NE(error.find("unknown time zone \"Europe/Nowhere\""), std::string::npos) << error;
    EXPECT_FALSE(time_zone_named("../etc/passwd", &paris, &error));
}

// Another logger's export across the end of summer time, in two formats:
// local clock times, one row every 15 min, the repeated hour in order.
TEST(Logger_file, ReadsOtherLoggersExportsInLocalTime)
{
    const Ttime_zone zone = central_europe();
    const struct {
        const char* name;
        const char* header;
        std::function<std::string(double utc, double ppb)> line;
        Tlogger_columns columns;
    } formats[] = {
        {"iso_comma", "time,uranine_ppb,temp",
         [&](double utc, double ppb) {
             const std::string d = zoned_date_text(utc, zone);  // dd.mm.yyyy hh:mm:ss
             return d.substr(6, 4) + "-" + d.substr(3, 2) + "-" + d.substr(0, 2) + " " + d.substr(11, 5) + "," +
                    fixed_number_text(ppb, 3) + ",12.5";
         },
         {"time", {"uranine_ppb", "", ""}}},
        {"german_semicolon", "\"Zeit\";\"Uranin\";\"Sulfo\"",
         [&](double utc, double ppb) {
             std::string value = fixed_number_text(ppb, 3);
             value[value.find('.')] = ',';
             return zoned_date_text(utc, zone) + ";" + value + ";";
         },
         {"Zeit", {"Uranin", "Sulfo", ""}}},
    };
    for (const auto& format : formats) {
        SCOPED_TRACE(format.name);
        std::string text = std::string(format.header) + "\r\n";
        std::vector<double> times;
        for (double utc = UTC_2026_10_25_0000 - HOUR_S; utc <= UTC_2026_10_25_0000 + 3 * HOUR_S; utc += 900) {
            times.push_back(utc);
            text += format.line(utc, 0.1 + times.size()) + "\r\n";
        }
        Tlamp_series series;
        std::string error;
        ASSERT_TRUE(read_logger_file(text, format.columns, zone, &series, &error)) << error;
        ASSERT_EQ(series[0].size(), times.size());
        for (size_t i = 0; i < times.size(); ++i) {
            EXPECT_EQ(series[0][i].t, times[i]) << i;
            EXPECT_NEAR(series[0][i].value, 0.1 + double(i + 1), 1e-9);
        }
        EXPECT_TRUE(series[1].empty());  // empty cells are no values
    }
}

TEST(Logger_file, RefusesWhatDoesNotRead)
{
    const Tlogger_columns columns = {"time", {"ppb", "", ""}};
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"time;ppb\n2026-12-08 11:00;0,1\n2026-12-08 11:15;x\n", "line 3: column \"ppb\": \"x\" is not a number"},
        {"time,ppb\n2026-12-08 11:00,0,1\n", "line 2: 3 cells where the header has 2"},
        {"time;ppb\n08/12/2026 11:00;0.1\n", "line 2: column \"time\": \"08/12/2026 11:00\" is not a time"},
        {"time;ppb\n29.03.2026 02:30;0.1\n", "line 2: column \"time\": \"29.03.2026 02:30\" is skipped"},
        {"Time;uranine\n1796724000;0.1\n", "line 1: column \"time\" is not in the header (Time, uranine)"},
        {"time;ppb\n\n", "no rows after the header"},
        {"", "no header line"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Tlamp_series series;
        std::string error;
        EXPECT_FALSE(read_logger_file(c.text, columns, central_europe(), &series, &error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

Ttracer_inputs full_inputs()
{
    Ttracer_inputs inputs;
    inputs.injection_utc = 1796724000;
    inputs.mass_g[0] = 1000;
    inputs.mass_g[2] = 0.1;  // a value that only the shortest exact text keeps
    inputs.discharge_file = "C:\\tests\\spring Q.csv";
    inputs.distance_m = 850.25;
    inputs.background_ppb[1] = -0.003;
    inputs.site = "Spring S1 = upper outlet";  // an "=" of its own
    return inputs;
}

TEST(Inputs_file, KeepsEveryValueAndWhatWasNotGiven)
{
    const Ttemp_dir dir;
    const std::string path = dir.file("test.txt");
    ASSERT_TRUE(tracer_inputs_save(path.c_str(), full_inputs()));
    EXPECT_EQ(dir.read("test.txt"),
              "injection=08.12.2026 10:00:00\r\nmass_A=1000\r\nmass_B=\r\nmass_C=0.1\r\ndischarge=\r\n"
              "discharge_file=C:\\tests\\spring Q.csv\r\ndistance=850.25\r\nbackground_A=\r\n"
              "background_B=-0.003\r\nbackground_C=\r\nsite=Spring S1 = upper outlet\r\n");
    Ttracer_inputs loaded;
    std::string error;
    ASSERT_TRUE(tracer_inputs_load(path.c_str(), &loaded, &error)) << error;
    const Ttracer_inputs saved = full_inputs();
    EXPECT_EQ(loaded.injection_utc, saved.injection_utc);
    EXPECT_EQ(loaded.discharge_file, saved.discharge_file);
    EXPECT_EQ(loaded.site, saved.site);
    EXPECT_EQ(loaded.distance_m, saved.distance_m);
    EXPECT_TRUE(is_undefined_double(loaded.discharge_l_s));
    for (int lamp = 0; lamp < TRACER_LAMPS; ++lamp) {
        EXPECT_EQ(loaded.mass_g[lamp], saved.mass_g[lamp]) << lamp;
        EXPECT_EQ(loaded.background_ppb[lamp], saved.background_ppb[lamp]) << lamp;
    }
}

TEST(Inputs_file, ReadsAnyLineEndAndRefusesWhatIsWrong)
{
    const struct {
        const char* text;
        const char* error;  // "" when it reads
    } cases[] = {
        {"injection=1796724000\rmass_A=5\rdischarge=2\r", ""},
        {"injection=08.12.2026 10:00:00\nlater_version_key=x\n\ndistance=3\n", ""},
        {"injection=\r\n", ""},
        {"mass_A=5\r\nmass_B=abc\r\n", "line 2: \"abc\" is not a number"},
        {"distance 850\r\n", "line 1: not \"name=value\""},
        {"injection=31.02.2026 10:00:00\r\n", "line 1: the injection time"},
        {"mass_C=-1\r\n", "injected mass of lamp C must be above 0 g"},
        {"discharge=0\r\n", "discharge must be above 0"},
        {"discharge=3\r\ndischarge_file=q.csv\r\n", "give one of them"},
        {"distance=-850\r\n", "distance must be above 0"},
        {"site=S1\tS2\r\n", "the site must be one line of text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Ttracer_inputs inputs;
        std::string error;
        EXPECT_EQ(tracer_inputs_read(c.text, &inputs, &error), *c.error == 0);
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(Discharge_file, ReadsRowsInAnyOrderAndInterpolates)
{
    Tdischarge q;
    std::string error;
    ASSERT_TRUE(q.read_rows("time;discharge;\r\n08.12.2026 10:10:00;30;\r\n\r\n1796724000;10\r\n"
                            "08.12.2026 10:20:00;40\r\n08.12.2026 10:20:00;20\r\n",
                            &error))
        << error;
    const struct {
        double t;
        double q;
        bool held;
    } cases[] = {
        {1796724000, 10, false}, {1796724300, 20, false}, {1796724600, 30, false},
        {1796725200, 30, false},  // the mean of the two rows at 10:20
        {1796723000, 10, true},  {1796730000, 30, true},
    };
    for (const auto& c : cases) {
        bool held = !c.held;
        EXPECT_DOUBLE_EQ(q.at(c.t, &held), c.q) << c.t;
        EXPECT_EQ(held, c.held) << c.t;
    }
}

TEST(Discharge_file, RefusesWhatDoesNotRead)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"", "no \"time;discharge\" rows"},
        {"time;discharge\r\n", "no \"time;discharge\" rows"},
        {"1796724000;10\r\n1796724600;12,5\r\n", "line 2: the discharge is not a number"},
        {"1796724000;10\r\n1796724600\r\n", "line 2: not \"time;discharge\""},
        {"1796724000;10\r\n2026-12-08 10:10;12\r\n", "line 2: the time"},
        {"1796724000;10\r\n1796724600;-1\r\n", "line 2: negative discharge"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Tdischarge q;
        std::string error;
        EXPECT_FALSE(q.read_rows(c.text, &error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_FALSE(q.given());
    }
}

// The inputs go with the journal: written beside it once given, and read
// back by the next run that reopens that journal; a new journal without
// them keeps the inputs it has.
TEST(Inputs_file, KeptBesideTheJournalAndBroughtBackWithIt)
{
    EXPECT_EQ(tracer_inputs_path_of_journal("/j/lumo2-20261208-101500.csv"), "/j/lumo2-20261208-101500-test.txt");
    EXPECT_EQ(tracer_inputs_path_of_journal("/j/table"), "/j/table-test.txt");
    const Ttemp_dir dir;
    std::string journal;
    Ttracer_inputs inputs;
    inputs.injection_utc = 1796724000;
    inputs.discharge_l_s = 12.5;
    {
        Tmeasure_table table;
        Ttracer_test test(&table);
        test.keep_with_journal([&journal] { return journal; });
        std::string error;
        ASSERT_TRUE(test.set_inputs(inputs, &error)) << error;
        journal = dir.file("lumo2-20261208-101500.csv");
        test.journal_changed();
    }
    EXPECT_NE(dir.read("lumo2-20261208-101500-test.txt").find("discharge=12.5"), std::string::npos);

    Tmeasure_table table;
    Ttracer_test reopened(&table);
    reopened.keep_with_journal([&journal] { return journal; });
    reopened.journal_changed();
    EXPECT_EQ(reopened.inputs().injection_utc, 1796724000);
    EXPECT_EQ(reopened.inputs().discharge_l_s, 12.5);
}

}  // namespace
