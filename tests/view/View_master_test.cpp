#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Gui.h"
#include "app/Lumo2_app.h"
#include "events/My_string.h"
#include "support/Fake_ui.h"
#include "support/Temp_dir.h"
#include "support/Test_platform.h"
#include "view/Legacy_calibration.h"

namespace {

// The application in view mode with recording windows; log lines reach the
// view window's log box as they would in the program.
class View_master : public testing::Test {
protected:
    View_master()
    {
        set_the_app(&app);
        set_log_sink(log_append);
        bridge_state().current_mode = MODE_VIEW;
        log_select(0);
    }
    ~View_master() override
    {
        set_log_sink(nullptr);
        set_the_app(nullptr);
    }

    void tick_lamps(bool a, bool b, bool c, bool t)
    {
        const char* boxes[4] = {"cb_lampe_A", "cb_lampe_B", "cb_lampe_C", "cb_lampe_T"};
        const bool ticked[4] = {a, b, c, t};
        for (int i = 0; i < 4; ++i) ui.set_checked(WIN_VIEW, boxes[i], ticked[i]);
    }

    const std::vector<std::string>& log() { return ui.lines(WIN_VIEW, "Memo1"); }
    int count_lines(const std::string& prefix)
    {
        int count = 0;
        for (const std::string& line : log()) count += line.rfind(prefix, 0) == 0 ? 1 : 0;
        return count;
    }
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i) dispatch_tick();
    }

    void load(const Tlegacy_calibration& file = Tlegacy_calibration())
    {
        dir.write("constants.txt", file.text());
        app.view_master.load_calibration(dir.file("constants.txt").c_str());
    }

    void reply(const char* line)
    {
        dispatch_data(0, reinterpret_cast<const unsigned char*>(line), static_cast<unsigned>(std::strlen(line)));
    }

    std::string cell(unsigned row, int column)
    {
        Tmy_string text;
        app.view_master.table.cell_text(row, column, &text);
        return text.c_str();
    }

    Tlumo2_app app;
    Tfake_ui ui;
    Ttemp_dir dir;
};

// A binary measurement: deltas A, B, C, T, temperature, lamp-off signals.
std::vector<unsigned char> payload(const float (&values)[9])
{
    std::vector<unsigned char> bytes;
    for (float value : values) {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<unsigned char>(bits >> shift));
    }
    return bytes;
}

constexpr float MISSING = 3.40282347e38f;
const char* const NOT_CONNECTED =
    "Not connected to the instrument: File > \"connect\" connects to the COM port chosen in File > \"settings...\"";

TEST_F(View_master, StartTwiceSendsOneRequestThenOneEveryTenSeconds)
{
    tick_lamps(true, false, true, false);
    dispatch_command(CMD_START);
    dispatch_command(CMD_START);
    // Nothing is connected here: START says so, once.
    EXPECT_EQ(log(), (std::vector<std::string>{"OnAcq", "TX : E", NOT_CONNECTED}));
    ticks(99);
    EXPECT_EQ(count_lines("TX : "), 1);
    ticks(1);
    EXPECT_EQ(count_lines("TX : "), 2);
    ticks(100);
    EXPECT_EQ(count_lines("TX : "), 3);
}

TEST_F(View_master, RequestByteFollowsTheLampBoxes)
{
    tick_lamps(false, false, false, false);
    app.view_master.OnAcq();
    tick_lamps(true, true, true, true);
    app.view_master.OnAcq();
    EXPECT_EQ(log(), (std::vector<std::string>{"OnAcq", "TX : @", "OnAcq", "TX : O"}));
}

TEST_F(View_master, StopAndCloseEndThePeriodicRequests)
{
    dispatch_command(CMD_STOP);
    EXPECT_EQ(log(), std::vector<std::string>{"OnStop"});
    dispatch_command(CMD_START);
    dispatch_command(CMD_STOP);
    ticks(200);
    EXPECT_EQ(count_lines("TX : "), 1);

    dispatch_command(CMD_START);
    dispatch_command(CMD_CLOSE_VIEW);
    ticks(200);
    EXPECT_EQ(count_lines("TX : "), 2);
    EXPECT_EQ(count_lines("OnStop"), 2);
    EXPECT_FALSE(app.view_master.is_running());
}

TEST_F(View_master, LoadingLogsTheOutcome)
{
    load();
    const std::string path = dir.file("constants.txt");
    ASSERT_GE(log().size(), 6u);
    EXPECT_EQ(log()[0], "Loading calibration file " + path);
    EXPECT_EQ(log()[1], "done");
    EXPECT_EQ(log()[2], "ca = 10.000000");
    EXPECT_EQ(log()[3], "c0 = -0.301030");
    EXPECT_EQ(log()[4], "c1 = 1.000000");
    EXPECT_EQ(log()[5].rfind("c2 = ", 0), 0u);

    Tlegacy_calibration bad;
    bad.lamp_count = "6";
    load(bad);
    EXPECT_EQ(log().back(), "error x8");
    EXPECT_EQ(log()[log().size() - 2], "Loading calibration file " + path);
    EXPECT_EQ(app.view_master.constants.valid, 0);

    app.view_master.load_calibration(dir.file("missing.txt").c_str());
    EXPECT_EQ(log().back(), "error x2");
}

TEST_F(View_master, RepliesWithoutConstantsAreTabledWithoutResults)
{
    reply("A 0 0 1 0 0 1000 0 2000\r\n");
    EXPECT_EQ(count_lines("RX : A 0 0 1 0 0 1000 0 2000"), 1);
    EXPECT_EQ(count_lines("lamp A delta = 9.77 mV"), 1);
    EXPECT_EQ(count_lines("Lamp "), 0);
    EXPECT_EQ(ui.text(WIN_VIEW, "lb_lampA_delta"), "9.77");
    ASSERT_EQ(app.view_master.table.data_rows(), 1u);
    EXPECT_EQ(cell(0, 3), "9.766");
    EXPECT_EQ(cell(0, 4), "-");
    for (int column = 8; column < 12; ++column) EXPECT_EQ(cell(0, column), "-") << column;
}

// A text reply without lamp T: lamp A is converted as delivered, through
// its calibration curve (10 ppb per 10 mV here), and no NTU is stored.
TEST_F(View_master, ReplyWithoutLampTIsConvertedWithoutTurbidity)
{
    load();
    reply("A 0 0 1 0 0 1000 0 2000\r\n");
    EXPECT_EQ(count_lines("Lamp A : 9.766 ppb"), 1);
    EXPECT_EQ(count_lines("Lamp Turbidity"), 0);
    EXPECT_EQ(cell(0, 8), "9.766");
    EXPECT_EQ(cell(0, 11), "-");
}

// Lamp T 20 mV above water: 10 NTU, of which lamp A sees 10 mV; lamp A's
// 50 mV net are 50 ppb.
TEST_F(View_master, FrameAfterStopIsConvertedAndTabled)
{
    load();
    dispatch_command(CMD_START);
    dispatch_command(CMD_STOP);
    std::vector<unsigned char> bytes = payload({65, MISSING, MISSING, 30, 18.5f, 1, 1, 1, 1});
    dispatch_data(1, bytes.data(), static_cast<unsigned>(bytes.size()));
    EXPECT_EQ(count_lines("VIRO LUMO  | 42 82 00 00"), 1);
    EXPECT_EQ(count_lines("Lamp A : 50.000 ppb"), 1);
    EXPECT_EQ(count_lines("Lamp B"), 0);
    EXPECT_EQ(count_lines("Lamp Turbidity : 10.000 NTU"), 1);
    ASSERT_EQ(app.view_master.table.data_rows(), 1u);
    EXPECT_EQ(cell(0, 8), "50.000");
    EXPECT_EQ(cell(0, 9), "-");
    EXPECT_EQ(cell(0, 11), "10.000");
    EXPECT_EQ(cell(0, 7), "18.50");
}

TEST_F(View_master, NothingHappensForUnknownKindsOrNoBytes)
{
    const unsigned char byte = 'A';
    app.view_master.on_data(2, &byte, 1);
    app.view_master.on_data(0, nullptr, 0);
    EXPECT_TRUE(log().empty());
    EXPECT_EQ(app.view_master.table.data_rows(), 0u);
}

TEST_F(View_master, SavedTableReplacesTheFileOrKeepsIt)
{
    reply("A 0 0 1 0 0 1000 0 2000\r\n");
    const std::string path = dir.file("table.csv");
    dir.write("table.csv", "earlier table");
    app.view_master.table_save(path.c_str());
    std::string saved = dir.read("table.csv");
    EXPECT_EQ(saved.rfind("Timestamp;Date;", 0), 0u);
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 2);

    const std::string unwritable = dir.file("missing-folder/table.csv");
    EXPECT_FALSE(app.view_master.save_text(unwritable.c_str(), "x"));
    EXPECT_EQ(log().back(), "ERROR : unable to write \"" + unwritable + "\": " + missing_folder_reason());
    EXPECT_EQ(dir.read("table.csv"), saved);

    // The new text is complete but cannot take the place of what is there.
    std::filesystem::create_directory(dir.file("kept"));
    dir.write("kept/inside.txt", "kept");
    EXPECT_FALSE(app.view_master.save_text(dir.file("kept").c_str(), "x"));
    EXPECT_EQ(dir.read("kept/inside.txt"), "kept");
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path)) entries += entry.exists() ? 1 : 0;
    EXPECT_EQ(entries, 2);  // the table and the folder: no temporary file left behind
}

}  // namespace
