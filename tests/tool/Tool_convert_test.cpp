#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

#include "Tool_fixtures.h"
#include "view/Legacy_calibration.h"
#include "view/Lumo2_view_master.h"

namespace {

constexpr float ABSENT = FLT_MAX;

// Deltas as the instrument sends them; each prints with three decimals and
// reads back as the same single float, as a saved table keeps them.
const float LIVE_DELTAS[][4] = {
    {47.123f, 12.5f, 3.75f, 20.0f},       {0.125f, ABSENT, 130.25f, ABSENT},
    {ABSENT, ABSENT, ABSENT, 2.5f},       {12345.678f, 206.0f, 57.0f, 210.0f},
    {-3.75f, 0.0f, 6.001f, 10.0f},        {ABSENT, ABSENT, ABSENT, ABSENT},
};

class Tool_convert : public testing::Test {
protected:
    Tool_convert()
    {
        dir.write("constants.dat", Tlegacy_calibration().text());
        constants = dir.file("constants.dat");
    }

    // The live view receiving the deltas; with_constants: after "Load
    // calibration". Returns the saved table's text.
    std::string live_table(bool with_constants)
    {
        Tlumo2_view_master live;
        if (with_constants)
            live.load_calibration(constants.c_str());
        const float offs[4] = {50, 50, 50, 50};
        for (const auto& deltas : LIVE_DELTAS) {
            const frame_builder::Tbytes payload = frame_builder::measurement(deltas, 18.25f, offs);
            live.on_data(1, payload.data(), static_cast<unsigned>(payload.size()));
        }
        live.table_save(dir.file("live.csv").c_str());
        return dir.read("live.csv");
    }

    Ttemp_dir dir;
    std::string constants;
};

// The table's lines split into cells.
std::vector<std::vector<std::string>> cells_of(const std::string& table)
{
    std::vector<std::vector<std::string>> lines(1);
    std::string cell;
    for (char c : table) {
        if (c == ';') {
            lines.back().push_back(cell);
            cell.clear();
        } else if (c == '\n') {
            lines.emplace_back();
        } else if (c != '\r') {
            cell += c;
        }
    }
    return lines;
}

TEST_F(Tool_convert, ReconvertingATableGivesTheLiveViewsResults)
{
    const std::string raw = live_table(false);
    dir.write("raw.csv", raw);
    const std::string converted_live = live_table(true);

    const Ttool_run run = run_tool({"reconvert", dir.file("raw.csv"), constants});
    EXPECT_EQ(run.status, TOOL_OK);
    EXPECT_EQ(run.err, "");
    // The two live runs may stamp different seconds: the times come from
    // the table read, the results must be the converting run's.
    const auto out = cells_of(run.out), before = cells_of(raw), live = cells_of(converted_live);
    ASSERT_EQ(out.size(), live.size());
    for (size_t line = 0; line + 1 < out.size(); ++line) {
        ASSERT_EQ(out[line].size(), 12u);
        for (size_t column = 0; column < 12; ++column)
            EXPECT_EQ(out[line][column], column < 8 ? before[line][column] : live[line][column])
                << "line " << line << " column " << column;
    }
    EXPECT_NE(out, before);

    const Ttool_run again = run_tool({"reconvert", dir.file("live.csv"), constants, "-o", dir.file("out.csv")});
    EXPECT_EQ(again.status, TOOL_OK);
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(dir.read("out.csv"), converted_live);
}

TEST_F(Tool_convert, OtherCellsAreWrittenBackAsTheyWere)
{
    dir.write("t.csv",
              "Timestamp;Date;GMT;delta A;delta B;delta C;delta T;Temp;ppb A;ppb B;ppb C;NTU;\n"
              "anything;at all;x;-;-;-;-;warm;9;9;9;9;\n");
    const Ttool_run run = run_tool({"reconvert", dir.file("t.csv"), constants});
    EXPECT_EQ(run.status, TOOL_OK);
    EXPECT_EQ(run.out,
              "Timestamp;Date;GMT;delta A;delta B;delta C;delta T;Temp;ppb A;ppb B;ppb C;NTU;\r\n"
              "anything;at all;x;-;-;-;-;warm;-;-;-;-;\r\n");
}

TEST_F(Tool_convert, OneSetOfDeltasPrintsTheTablesCells)
{
    Tlumo2_view_master live;
    live.load_calibration(constants.c_str());
    const float deltas[4] = {47.123f, ABSENT, 3.75f, 20.0f};
    const float offs[4] = {0, 0, 0, 0};
    const frame_builder::Tbytes payload = frame_builder::measurement(deltas, 18.0f, offs);
    live.on_data(1, payload.data(), static_cast<unsigned>(payload.size()));
    std::string expected;
    for (int column = 8; column < 12; ++column) {
        Tmy_string cell;
        live.table.cell_text(0, column, &cell);
        expected += std::string(Tmeasure_table::header(column)) + ": " + cell.c_str() + "\n";
    }

    const Ttool_run run = run_tool({"convert", constants, "--deltas", "47.123,-,3.750,20"});
    EXPECT_EQ(run.status, TOOL_OK);
    EXPECT_EQ(run.out, expected);
    EXPECT_NE(run.out.find("ppb B: -\n"), std::string::npos);
}

TEST_F(Tool_convert, ConstantsWithErrorsAreRefusedWithTheirCode)
{
    Tlegacy_calibration bad;
    bad.lamp_count = "6";
    dir.write("bad.dat", bad.text());
    dir.write("t.csv", live_table(false));
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {dir.file("bad.dat"), "error x8\n"},
        {dir.file("absent.dat"), "error x2\n"},
    };
    for (const auto& c : cases) {
        for (const Ttool_args& args : {Ttool_args{"reconvert", dir.file("t.csv"), c.path},
                                       Ttool_args{"convert", c.path, "--deltas", "1,2,3,4"}}) {
            const Ttool_run run = run_tool(args);
            EXPECT_EQ(run.status, TOOL_BAD_INPUT) << c.path;
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(run.err, "Loading calibration file " + c.path + "\n" + c.message);
        }
    }
}

TEST_F(Tool_convert, MalformedTablesAreRefusedNamingTheLine)
{
    const std::string header = "Timestamp;Date;GMT;delta A;delta B;delta C;delta T;Temp;ppb A;ppb B;ppb C;NTU;\r\n";
    const std::string good = "1;d;0;1.000;-;-;-;-;-;-;-;-;\r\n";
    const struct {
        const char* name;
        std::string text;
        const char* message;
    } cases[] = {
        {"empty file", "", "line 1: not the measurement table's header"},
        {"other header", "Timestamp;Date;GMT;\r\n" + good, "line 1: not the measurement table's header"},
        {"header without last ;", header.substr(0, header.size() - 3) + "\r\n", "line 1: not"},
        {"short row", header + good + "1;d;0;\r\n", "line 3: 3 cells, the table has 12"},
        {"long row", header + "1;d;0;1;2;3;4;5;6;7;8;9;10;\r\n", "line 2: 13 cells"},
        {"text after last ;", header + "1;d;0;1;-;-;-;-;-;-;-;-;x\r\n", "line 2: 12 cells and text after"},
        {"empty line", header + good + "\r\n" + good, "line 3: empty line"},
        {"word delta", header + "1;d;0;-;abc;-;-;-;-;-;-;-;\r\n", "line 2, column \"delta B\": \"abc\""},
        {"empty delta", header + "1;d;0;-;-;;-;-;-;-;-;-;\r\n", "line 2, column \"delta C\": \"\""},
        {"nan delta", header + "1;d;0;-;-;-;nan;-;-;-;-;-;\r\n", "column \"delta T\": \"nan\""},
        {"delta with unit", header + "1;d;0;5 mV;-;-;-;-;-;-;-;-;\r\n", "column \"delta A\""},
        {"delta out of range", header + "1;d;0;1" + std::string(50, '0') + ";-;-;-;-;-;-;-;-;\r\n",
         "column \"delta A\""},
    };
    for (const auto& c : cases) {
        dir.write("t.csv", c.text);
        const Ttool_run run = run_tool({"reconvert", dir.file("t.csv"), constants, "-o", dir.file("out.csv")});
        EXPECT_EQ(run.status, TOOL_BAD_INPUT) << c.name;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << ": " << run.err;
        EXPECT_EQ(run.out, "") << c.name;
        EXPECT_EQ(dir.read("out.csv"), "") << c.name;
    }
    const Ttool_run absent = run_tool({"reconvert", dir.file("absent.csv"), constants});
    EXPECT_EQ(absent.status, TOOL_BAD_INPUT);
    EXPECT_NE(absent.err.find("unable to read \"" + dir.file("absent.csv") + "\""), std::string::npos);
}

TEST_F(Tool_convert, MalformedDeltaListsAreUsageErrors)
{
    for (const char* list : {"", "1,2,3", "1,2,3,4,5", "1,,3,4", "a,b,c,d", "1;2;3;4", "1,2,3,4,"}) {
        const Ttool_run run = run_tool({"convert", constants, "--deltas", list});
        EXPECT_EQ(run.status, TOOL_BAD_INPUT) << list;
        EXPECT_NE(run.err.find("--deltas takes four values"), std::string::npos) << list;
    }
    EXPECT_EQ(run_tool({"convert", constants}).status, TOOL_BAD_INPUT);
}

}  // namespace
