#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Tool_fixtures.h"
#include "app/Gui.h"
#include "support/Fake_ui.h"

namespace {

// What the calibration window shows for the file: "Load XML..." then
// "Save DAT..." in the program, with the validity pane's lines.
struct Tprogram_result {
    std::string dat;
    std::string validity;
};

Tprogram_result program_result(const Ttemp_dir& dir, const std::string& xml)
{
    Tfake_ui ui;
    bridge_state().current_mode = MODE_CALIBRATION;
    set_log_sink(log_append);
    Tlumo2_cal_master master;
    master.load_xml(xml.c_str());
    master.save_dat(dir.file("program.dat").c_str());
    set_log_sink(nullptr);
    bridge_state().current_mode = MODE_MAIN;
    Tprogram_result result{dir.read("program.dat"), ""};
    for (const std::string& line : ui.lines(WIN_CAL, "Memo4"))
        if (!line.empty())
            result.validity += line + "\n";
    return result;
}

class Tool_calc : public testing::Test {
protected:
    Ttemp_dir dir;
};

TEST_F(Tool_calc, ConsistentCalibrationGivesTheProgramsTextAndCodeZero)
{
    const std::string xml = write_calibration_xml(dir, "cal.xml", consistent_standards());
    const Tprogram_result expected = program_result(dir, xml);

    const Ttool_run run = run_tool({"calc", xml});
    EXPECT_EQ(run.status, TOOL_OK);
    EXPECT_EQ(run.out, expected.dat);
    EXPECT_EQ(run.err, expected.validity);
    EXPECT_EQ(run.err, "calibration.check_validity() => Error code = 0\n");
    EXPECT_NE(run.out.find("#4711\r\n"), std::string::npos);
    EXPECT_NE(run.out.find("Last calibration: 240506\r\n"), std::string::npos);

    const Ttool_run to_file = run_tool({"calc", xml, "-o", dir.file("tool.dat")});
    EXPECT_EQ(to_file.status, TOOL_OK);
    EXPECT_EQ(to_file.out, "");
    EXPECT_EQ(dir.read("tool.dat"), expected.dat);
}

TEST_F(Tool_calc, FailedRulesAreListedWithTheirCodeAndStatusThree)
{
    std::vector<Tstandard> standards = consistent_standards();
    standards[5].deltas[3] = 5;    // uranine at 100 ppb no brighter than water on lamp T
    standards[9].deltas[0] = 9.5f; // amino G acid at 100 ppb below water on lamp A
    const std::string xml = write_calibration_xml(dir, "bad.xml", standards);
    const Tprogram_result expected = program_result(dir, xml);

    const Ttool_run run = run_tool({"calc", xml});
    EXPECT_EQ(run.status, TOOL_RULES_FAILED);
    EXPECT_EQ(run.out, expected.dat);
    EXPECT_EQ(run.err, expected.validity);
    EXPECT_NE(run.err.find("error : TA_100_LT  <= eau_LT"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("error : TC_100_LA  <= eau_LA"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("calibration.check_validity() => Error code = 278528\n"), std::string::npos) << run.err;
}

TEST_F(Tool_calc, EmptyCalibrationFailsItsRules)
{
    dir.write("empty.xml", "<?xml version='1.0' ?>\n<CALIBRATION serial_number=\"1\" />\n");
    const Ttool_run run = run_tool({"calc", dir.file("empty.xml")});
    EXPECT_EQ(run.status, TOOL_RULES_FAILED);
    EXPECT_EQ(run.out, program_result(dir, dir.file("empty.xml")).dat);
}

TEST_F(Tool_calc, UnreadableFilesAreRefusedWithTheProgramsMessage)
{
    dir.write("broken.xml", "<CALIBRATION serial_number=\"1\"><SAMPLE </CALIBRATION>");
    dir.write("binary.xml", std::string("\x00\xff\x13\x37", 4));
    std::filesystem::create_directory(dir.file("folder.xml"));
    for (const char* name : {"absent.xml", "broken.xml", "binary.xml", "folder.xml"}) {
        const std::string path = dir.file(name);
        const Ttool_run run = run_tool({"calc", path});
        EXPECT_EQ(run.status, TOOL_BAD_INPUT) << name;
        EXPECT_EQ(run.out, "") << name;
        EXPECT_EQ(run.err, "ERROR : unable to read \"" + path + "\" file correctly\n") << name;
    }
}

TEST_F(Tool_calc, UnwritableOutputIsReportedAndNothingIsWritten)
{
    const std::string xml = write_calibration_xml(dir, "cal.xml", consistent_standards());
    const std::string target = dir.file("missing/out.dat");
    const Ttool_run run = run_tool({"calc", xml, "-o", target});
    EXPECT_EQ(run.status, TOOL_BAD_INPUT);
    EXPECT_NE(run.err.find("ERROR : unable to write \"" + target + "\""), std::string::npos);
}

}  // namespace
