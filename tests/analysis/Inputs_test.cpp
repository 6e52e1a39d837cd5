#include <gtest/gtest.h>

#include "analysis/Discharge.h"
#include "analysis/Input_text.h"
#include "analysis/Tracer_inputs.h"
#include "analysis/Tracer_test.h"
#include "events/Lib_cpp.h"
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

Ttracer_inputs full_inputs()
{
    Ttracer_inputs inputs;
    inputs.injection_utc = 1796724000;
    inputs.mass_g[0] = 1000;
    inputs.mass_g[2] = 0.1;  // a value that only the shortest exact text keeps
    inputs.discharge_file = "C:\\tests\\spring Q.csv";
    inputs.distance_m = 850.25;
    inputs.background_ppb[1] = -0.003;
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
              "background_B=-0.003\r\nbackground_C=\r\n");
    Ttracer_inputs loaded;
    std::string error;
    ASSERT_TRUE(tracer_inputs_load(path.c_str(), &loaded, &error)) << error;
    const Ttracer_inputs saved = full_inputs();
    EXPECT_EQ(loaded.injection_utc, saved.injection_utc);
    EXPECT_EQ(loaded.discharge_file, saved.discharge_file);
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
