#include <gtest/gtest.h>

#include <string>

#include "Tool_fixtures.h"

namespace {

class Tool_cli : public testing::Test {
protected:
    Ttool_run run(const std::string& arguments, const std::string& input = "")
    {
        return run_tool_binary(dir, arguments, input);
    }
    std::string quoted(const std::string& path) { return "'" + path + "'"; }

    Ttemp_dir dir;
};

TEST_F(Tool_cli, HelpDocumentsEverySubcommand)
{
    const Ttool_run help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    for (const char* usage : {"lumo2-tool calc CALIBRATION.xml [-o FILE.dat]",
                              "lumo2-tool reconvert TABLE.csv CONSTANTS.dat [-o OUT.csv]",
                              "lumo2-tool convert CONSTANTS.dat --deltas A,B,C,T", "lumo2-tool decode [FILE|-]",
                              "lumo2-tool record --port N",
                              "lumo2-tool analyze TABLE.csv --injection TIME"})
        EXPECT_NE(help.out.find(usage), std::string::npos) << usage;
    EXPECT_EQ(run("decode --help").out, help.out);

    const Ttool_run bare = run("");
    EXPECT_EQ(bare.status, 2);
    EXPECT_EQ(bare.err, help.out);
}

TEST_F(Tool_cli, WrongWordsAreUsageErrors)
{
    const struct {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"frobnicate", "lumo2-tool: unknown subcommand \"frobnicate\""},
        {"calc", "lumo2-tool calc: expects one calibration XML file"},
        {"calc a.xml b.xml", "lumo2-tool calc: expects one calibration XML file"},
        {"calc a.xml --verbose", "lumo2-tool calc: unknown option \"--verbose\""},
        {"calc a.xml -o", "lumo2-tool calc: option \"-o\" needs a value"},
        {"calc a.xml -o x -o y", "lumo2-tool calc: option \"-o\" given twice"},
        {"reconvert t.csv", "lumo2-tool reconvert: expects a saved table and a calibration constants file"},
        {"convert c.dat", "lumo2-tool convert: expects a calibration constants file and --deltas A,B,C,T"},
        {"decode a b", "lumo2-tool decode: expects at most one capture file"},
        {"decode --tick-every soon", "lumo2-tool decode: --tick-every takes a whole number of bytes"},
    };
    for (const auto& c : cases) {
        const Ttool_run result = run(c.arguments);
        EXPECT_EQ(result.status, 2) << c.arguments;
        EXPECT_EQ(result.out, "") << c.arguments;
        EXPECT_EQ(result.err.rfind(c.message, 0), 0u) << c.arguments << ": " << result.err;
        EXPECT_NE(result.err.find("(see lumo2-tool --help)\n"), std::string::npos) << c.arguments;
    }
}

TEST_F(Tool_cli, ProgramWritesWhatTheFunctionsGive)
{
    const std::string xml = write_calibration_xml(dir, "cal.xml", consistent_standards());
    const Ttool_run calc = run("calc " + quoted(xml) + " -o " + quoted(dir.file("cal.dat")));
    EXPECT_EQ(calc.status, 0);
    EXPECT_EQ(calc.out, "");
    EXPECT_EQ(calc.err, "calibration.check_validity() => Error code = 0\n");
    EXPECT_EQ(dir.read("cal.dat"), run_tool({"calc", xml}).out);

    const Ttool_run convert = run("convert " + quoted(dir.file("cal.dat")) + " --deltas 50,10,-,20");
    EXPECT_EQ(convert.status, 0);
    EXPECT_EQ(convert.out, run_tool({"convert", dir.file("cal.dat"), "--deltas", "50,10,-,20"}).out);
    EXPECT_NE(convert.out.find("ppb C: -\n"), std::string::npos);

    const Ttool_run missing = run("calc " + quoted(dir.file("none.xml")));
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "ERROR : unable to read \"" + dir.file("none.xml") + "\" file correctly\n");
}

TEST_F(Tool_cli, DecodeReadsStandardInput)
{
    const std::string capture = "I 0 6711 0 13422 0 33554 0 40265 1 0 0 2013\r\nnoise\n";
    dir.write("capture.bin", capture);
    const Ttool_run expected = run_tool({"decode", dir.file("capture.bin")});
    for (const char* arguments : {"decode", "decode -"}) {
        const Ttool_run result = run(arguments, capture);
        EXPECT_EQ(result.status, 1) << arguments;
        EXPECT_EQ(result.out, expected.out) << arguments;
        EXPECT_EQ(result.err, expected.err) << arguments;
    }
    std::string garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    const Ttool_run noise = run("decode", garbage);
    EXPECT_EQ(noise.status, 1);
    EXPECT_NE(noise.err.find("lumo2-tool decode: "), std::string::npos);
}

}  // namespace
