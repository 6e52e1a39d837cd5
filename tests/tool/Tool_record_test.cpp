// lumo2-tool record against the simulated instrument on a pseudo-terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "Tool_fixtures.h"
#include "link/Lumo_data.h"
#include "sim/Port_link.h"
#include "sim/Zeta_simulator.h"
#include "tool/Record_options.h"
#include "view/Saved_table.h"
#include "view/Table_appender.h"

extern char** environ;

namespace {

using Tclock = std::chrono::steady_clock;

std::string header_line()
{
    std::string header;
    Tmeasure_table::header_text(&header);
    return header;
}

// The lines of standard output as the table's lines (CR LF ended).
std::string as_table_lines(const std::string& out)
{
    std::string lines;
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
        lines += out.substr(start, end - start) + "\r\n";
    return lines;
}

// The cells of the table's last row.
std::vector<std::string> last_row_cells(const std::string& table)
{
    std::vector<std::string> cells;
    const size_t begin = table.rfind("\r\n", table.size() - 3) + 2;
    for (size_t at = begin; table[at] != '\r'; ++at) {
        const size_t semicolon = table.find(';', at);
        cells.push_back(table.substr(at, semicolon - at));
        at = semicolon;
    }
    return cells;
}

class Tool_record : public testing::Test {
protected:
    void SetUp() override
    {
        setenv("LUMO2_PORT_DIR", dir.file("ports").c_str(), 1);
        simulator.set_delay_ms(20);
        std::string error;
        ASSERT_TRUE(simulator.start(&error)) << error;
        com = link_com_port(simulator.slave_path(), 0, error);
        ASSERT_GT(com, 0) << error;
    }
    void TearDown() override
    {
        simulator.stop();
        unsetenv("LUMO2_PORT_DIR");
    }

    // The recorder on the simulator's port, writing table.csv.
    Ttool_run record(const std::string& options)
    {
        return run_tool_binary(dir, "record --port " + std::to_string(com) + " " + options + " -o '" +
                                        dir.file("table.csv") + "'");
    }

    Ttemp_dir dir;
    Tzeta_simulator simulator;
    int com = 0;
};

TEST_F(Tool_record, AppendsEachAnswerAsTheSavedTableWritesIt)
{
    const Tclock::time_point begin = Tclock::now();
    const Ttool_run run = record("--every 1 --count 2 --lamps TA");
    EXPECT_LT(Tclock::now() - begin, std::chrono::seconds(5)) << "the period of --every is not used";
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string table = dir.read("table.csv");
    EXPECT_EQ(table, header_line() + as_table_lines(run.out));

    // Read back and written again by the table itself, byte for byte.
    Tmeasure_table saved;
    std::vector<Tmeasure_row> rows;
    ASSERT_TRUE(read_saved_table(
        table, [&](const Tsaved_cells& cells, std::string* fault) { return read_measure_row(cells, &rows.emplace_back(), fault); },
        nullptr));
    ASSERT_EQ(rows.size(), 2u);
    std::string rewritten;
    Tmeasure_table::header_text(&rewritten);
    for (const Tmeasure_row& row : rows) Tmeasure_table::row_text(row, &rewritten);
    EXPECT_EQ(rewritten, table);

    const Tsim_counters seen = simulator.requests_seen();
    EXPECT_EQ(seen.by_mask[0x9], seen.requests) << "only lamps A and T are asked for";
    EXPECT_GE(seen.requests, 2u);
    const std::vector<std::string> cells = last_row_cells(table);
    EXPECT_NE(cells[3], "-");
    EXPECT_EQ(cells[4], "-");
    EXPECT_EQ(cells[8], "-") << "no constants, no concentrations";
}

TEST_F(Tool_record, ConvertsThroughTheConstantsAsTheLiveViewDoes)
{
    const std::string xml = write_calibration_xml(dir, "cal.xml", consistent_standards());
    ASSERT_EQ(run_tool({"calc", xml, "-o", dir.file("cal.dat")}).status, 0);
    const Ttool_run run = record("--every 1 --count 1 --constants '" + dir.file("cal.dat") + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> cells = last_row_cells(dir.read("table.csv"));
    const Ttool_run converted = run_tool(
        {"convert", dir.file("cal.dat"), "--deltas", cells[3] + "," + cells[4] + "," + cells[5] + "," + cells[6]});
    EXPECT_EQ(converted.out, "ppb A: " + cells[8] + "\nppb B: " + cells[9] + "\nppb C: " + cells[10] +
                                 "\nNTU: " + cells[11] + "\n");

    dir.write("bad.dat", "not constants\r\n");
    const Ttool_run refused = record("--count 1 --constants '" + dir.file("bad.dat") + "'");
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("error x"), std::string::npos) << refused.err;
}

TEST_F(Tool_record, ContinuesASavedTableAfterALineCutShort)
{
    const std::string kept = header_line() + "1607337600;07.12.2020 10:40:00;0;12.345;-;-;3.210;18.52;-;-;-;-;\r\n";
    const std::string cut = "1607337610;07.12.2020 10:40:10;0;12.3";
    dir.write("table.csv", kept + cut);
    const Ttool_run run = record("--count 1");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir.read("table.csv"), kept + as_table_lines(run.out));
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
    EXPECT_EQ(run.err, "lumo2-tool record: " + dir.file("table.csv") + ": " + std::to_string(cut.size()) +
                           " bytes of a last line cut short dropped, kept in \"" + dir.file("table.csv.dropped") +
                           "\"\n");
    EXPECT_EQ(dir.read("table.csv.dropped"), cut);
}

// A table that cannot take a row during the run (here: beyond the largest
// file the recorder may write) ends it with a status of its own.
TEST_F(Tool_record, TableThatCannotBeWrittenEndsWithStatusFive)
{
    Tmeasure_table rows;
    for (int i = 0; i < 30; ++i) {
        Tlumo_measure m;
        m.timestamp = 1607337600 + 10 * i;
        rows.table_add(&m);
    }
    std::string text;
    rows.table_text(&text);
    ASSERT_GT(text.size(), 1024u);
    dir.write("table.csv", text);
    const std::string command = "trap '' XFSZ; ulimit -f 1; '" + std::string(LUMO2_TOOL) + "' record --port " +
                                std::to_string(com) + " --count 1 -o '" + dir.file("table.csv") + "' 2>'" +
                                dir.file("stderr") + "'";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 5);
    EXPECT_EQ(dir.read("stderr"), "lumo2-tool record: " + dir.file("table.csv") + ": File too large\n");
    EXPECT_EQ(dir.read("table.csv"), text);
}

TEST_F(Tool_record, RefusesWhatIsNotASavedTableAndAMissingPort)
{
    dir.write("table.csv", "Timestamp;Date;\r\nsomething else\r\n");
    const Ttool_run refused = record("--count 1");
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("table.csv: not a measurement table"), std::string::npos) << refused.err;
    EXPECT_EQ(dir.read("table.csv"), "Timestamp;Date;\r\nsomething else\r\n");
    EXPECT_EQ(simulator.requests_seen().requests, 0u);

    const Ttool_run missing = run_tool_binary(dir, "record --port 250 -o '" + dir.file("new.csv") + "'");
    EXPECT_EQ(missing.status, 4);
    EXPECT_EQ(missing.err, "lumo2-tool record: COM250: unable to open the port\n");
    EXPECT_EQ(dir.read("new.csv"), header_line());
}

TEST_F(Tool_record, APortThatGoesAwayEndsTheRecording)
{
    std::thread unplug([this] {
        while (simulator.requests_seen().answers == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        simulator.inject({Tfault_kind::disconnect});
    });
    const Ttool_run run = record("--every 1");
    unplug.join();
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("COM" + std::to_string(com) + ": DISCONNECTED\n"), std::string::npos) << run.err;
    EXPECT_EQ(dir.read("table.csv"), header_line() + as_table_lines(run.out));
}

// The recorder as a process of its own, for signals.
class Trecorder_process {
public:
    Trecorder_process(const Ttemp_dir& dir, std::vector<std::string> words) : out(dir.file("out")), err(dir.file("err"))
    {
        std::vector<char*> argv;
        words.insert(words.begin(), LUMO2_TOOL);
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&pid, LUMO2_TOOL, &files, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&files);
    }
    ~Trecorder_process()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    // The exit status, -1 when killed by a signal or not ended in time.
    int wait_for_exit(int timeout_ms)
    {
        const Tclock::time_point end = Tclock::now() + std::chrono::milliseconds(timeout_ms);
        int raw = 0;
        while (waitpid(pid, &raw, WNOHANG) == 0) {
            if (Tclock::now() > end) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid = -1;
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    pid_t pid = -1;
    std::string out;
    std::string err;
};

TEST_F(Tool_record, SigtermMidRunKeepsEveryCompleteRowAndEndsWell)
{
    const std::string path = dir.file("table.csv");
    Trecorder_process recorder(dir, {"record", "--port", std::to_string(com), "--every", "1", "-o", path});
    ASSERT_GT(recorder.pid, 0);
    const Tclock::time_point give_up = Tclock::now() + std::chrono::seconds(10);
    while (Ttable_appender::complete_rows_in(dir.read("table.csv")) < 2 && Tclock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(recorder.pid, SIGTERM);
    EXPECT_EQ(recorder.wait_for_exit(5000), 0) << dir.read("err");
    const std::string table = dir.read("table.csv");
    EXPECT_GE(Ttable_appender::complete_rows_in(table), 2u);
    EXPECT_EQ(table, header_line() + as_table_lines(dir.read("out")));
}

// A table is written by one recorder at a time; the second is refused at
// once and writes nothing.
TEST_F(Tool_record, SecondRecorderOnTheSameTableIsRefused)
{
    const std::string path = dir.file("table.csv");
    Trecorder_process first(dir, {"record", "--port", std::to_string(com), "--every", "1", "-o", path});
    ASSERT_GT(first.pid, 0);
    const Tclock::time_point give_up = Tclock::now() + std::chrono::seconds(10);
    while (Ttable_appender::complete_rows_in(dir.read("table.csv")) < 1 && Tclock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const Ttool_run second = record("--count 1");
    EXPECT_EQ(second.status, 2);
    EXPECT_EQ(second.err, "lumo2-tool record: " + path + " is being written by another program (process " +
                              std::to_string(first.pid) + ")\n");
    EXPECT_EQ(second.out, "");
    kill(first.pid, SIGTERM);
    EXPECT_EQ(first.wait_for_exit(5000), 0);
    EXPECT_EQ(dir.read("table.csv"), header_line() + as_table_lines(dir.read("out")));
}

TEST(Tool_record_options, ReadOrRefused)
{
    const struct {
        Ttool_args words;
        const char* complaint;  // null: accepted
        unsigned char lamps;
        int period_ms;
        unsigned long count;
    } cases[] = {
        {{"--port", "3", "-o", "t.csv"}, nullptr, 0x0F, 10000, 0},
        {{"--port", "255", "--lamps", "tc", "--every", "2.54", "--count", "7", "-o", "t.csv"}, nullptr, 0x0C, 2500, 7},
        {{"--port", "3", "--every", "1", "-o", "t.csv"}, nullptr, 0x0F, 1000, 0},
        {{"-o", "t.csv"}, "expects --port N and -o TABLE.csv", 0, 0, 0},
        {{"--port", "3"}, "expects --port N and -o TABLE.csv", 0, 0, 0},
        {{"--port", "3", "-o", "t.csv", "extra"}, "expects --port N and -o TABLE.csv", 0, 0, 0},
        {{"--port", "0", "-o", "t.csv"}, "--port takes a COM port number from 1 to 255", 0, 0, 0},
        {{"--port", "COM3", "-o", "t.csv"}, "--port takes a COM port number from 1 to 255", 0, 0, 0},
        {{"--port", "3", "--lamps", "ABX", "-o", "t.csv"}, "--lamps takes one or more of the letters", 0, 0, 0},
        {{"--port", "3", "--lamps", "AA", "-o", "t.csv"}, "--lamps takes one or more of the letters", 0, 0, 0},
        {{"--port", "3", "--lamps", "", "-o", "t.csv"}, "--lamps takes one or more of the letters", 0, 0, 0},
        {{"--port", "3", "--every", "0.9", "-o", "t.csv"}, "--every takes seconds from 1 to 86400", 0, 0, 0},
        {{"--port", "3", "--every", "nan", "-o", "t.csv"}, "--every takes seconds from 1 to 86400", 0, 0, 0},
        {{"--port", "3", "--every", "10s", "-o", "t.csv"}, "--every takes seconds from 1 to 86400", 0, 0, 0},
        {{"--port", "3", "--count", "-1", "-o", "t.csv"}, "--count takes a whole number of rows", 0, 0, 0},
        {{"--port", "3", "--verbose", "--verbose", "-o", "t.csv"}, "option \"--verbose\" given twice", 0, 0, 0},
        {{"--port", "3", "-o", "t.csv", "--publish", "mqtt://h/t", "--station", "s", "--ca", "c"}, nullptr, 0x0F, 10000, 0},
        {{"--port", "3", "-o", "t.csv", "--station", "s"}, "--station and --ca go with --publish", 0, 0, 0},
    };
    for (const auto& c : cases) {
        Trecord_options options;
        std::string error;
        const bool read = read_record_options(c.words, &options, &error);
        const std::string shown = testing::PrintToString(c.words);
        if (!c.complaint) {
            ASSERT_TRUE(read) << shown << ": " << error;
            EXPECT_EQ(options.lamps, c.lamps) << shown;
            EXPECT_EQ(options.period_ms, c.period_ms) << shown;
            EXPECT_EQ(options.count, c.count) << shown;
            continue;
        }
        EXPECT_FALSE(read) << shown;
        EXPECT_EQ(error.rfind(c.complaint, 0), 0u) << shown << ": " << error;
        Ttool_args command = c.words;
        command.insert(command.begin(), "record");
        const Ttool_run run = run_tool(command);
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_NE(run.err.find("(see lumo2-tool --help)"), std::string::npos) << shown;
    }
}

}  // namespace
