#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Event_pump.h"
#include "Port_pair.h"
#include "app/Lumo2_app.h"
#include "events/Delay_resource.h"
#include "events/Log_capture.h"
#include "link/Serial_enum.h"
#include "link/Serial_ports.h"
#include "support/Fake_ui.h"
#include "support/Temp_dir.h"

namespace {

class Tfake_timers : public Ttimer_service {
public:
    uintptr_t start_timer(Tdelay_resource*, unsigned ms) override {
        armed.push_back(ms);
        return armed.size();
    }
    void kill_timer(uintptr_t) override {}
    std::vector<unsigned> armed;
};

std::vector<std::string> lines_received;
void capture(int kind, const unsigned char* bytes, unsigned length) {
    if (kind == 0)
        lines_received.emplace_back(reinterpret_cast<const char*>(bytes), length);
}

// The platform's port list with the pair's port in it: under Wine the
// device-setup service lists no ports at all.
int offered_port = 0;
void scan_with_offered(unsigned char table[SERIAL_PORT_TABLE_SIZE]) {
    Tserial_enum().scan(table);
    table[offered_port] = 1;
}

// A running application whose port COM<port> is the near end of a line
// played by the test.
class Connection_master : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pair.ok()) << pair.problem();
        port = pair.offer_as_com_port();
        ASSERT_GT(port, 0);
        port_text = "COM" + std::to_string(port);
        Tmy_string path;
        serial_port_path(port, &path);
        port_path = path.c_str();
        set_timer_service(&timers);
        event_pump::install();
        app = std::make_unique<Tlumo2_app>();
        set_the_app(app.get());
        app->settings.path.assign(dir.file("lumo2.cfg").c_str());
        offered_port = port;
        app->common.set_port_scan(scan_with_offered);
        lines_received.clear();
        app->common.set_data_sink(capture);
    }
    void TearDown() override {
        app.reset();
        set_the_app(nullptr);
        event_pump::uninstall();
        set_timer_service(nullptr);
    }
    void start_with(int autonnect, int port) {
        app->settings.setInt("autonnect", autonnect);
        app->settings.setInt("last_connect_device_id", port);
        app->settings.setInt("ttimezone", 101);
        app->common.start();
    }
    bool logged(const std::string& line) {
        const auto& lines = Log_capture::lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    bool wait_for_line(const std::string& line) {
        return event_pump::until([&] { return logged(line); });
    }

    Tport_pair pair;
    int port = 0;
    std::string port_text;
    // The port as the messages name it.
    std::string port_path;
    Ttemp_dir dir;
    Tfake_timers timers;
    Tfake_ui ui;
    Log_capture log;
    std::unique_ptr<Tlumo2_app> app;
};

}  // namespace

TEST_F(Connection_master, StartConnectsToTheSavedPortAndCarriesLines) {
    start_with(1, port);
    EXPECT_EQ(timers.armed, std::vector<unsigned>{100});
    EXPECT_EQ(ui.selected_text(WIN_SETTINGS, "cb_com_port"), port_text);
    EXPECT_EQ(ui.item_texts(WIN_SETTINGS, "cb_ttimezone"),
              (std::vector<std::string>{"UTC+0, GMT", "UTC+1", "UTC+2", "Europe CET"}));
    EXPECT_EQ(ui.selected_text(WIN_SETTINGS, "cb_ttimezone"), "Europe CET");
    EXPECT_TRUE(ui.control(WIN_SETTINGS, "cb_autoconnect").checked);
    ASSERT_FALSE(Log_capture::lines().empty());
    EXPECT_EQ(Log_capture::lines()[0], "Connecting to " + port_path);
    ASSERT_TRUE(wait_for_line("Serial connected on port " + port_path));
    EXPECT_EQ(ui.control(WIN_MAIN, "pl_connected").color, RGB_GREEN);

    // Before the program's first request, an answer can only be to the
    // request of an earlier program on the port: it is discarded.
    pair.write_text("O 9 9 9\r\n");
    event_pump::for_ms(200);
    EXPECT_TRUE(lines_received.empty());

    const unsigned char command = 'O';
    EXPECT_FALSE(send_to_instrument(&command, 1));
    EXPECT_EQ(pair.read_bytes(1), "O");
    pair.write_text("O 1 0 2\r\n");
    ASSERT_TRUE(event_pump::until([] { return !lines_received.empty(); }));
    EXPECT_EQ(lines_received, std::vector<std::string>{"O 1 0 2\r\n"});

    pair.close_far_end();
    ASSERT_TRUE(wait_for_line("Serial disconnected on port " + port_path));
    EXPECT_EQ(ui.control(WIN_VIEW, "pl_connected").color, RGB_BLACK);
}

TEST_F(Connection_master, NoAutomaticConnectionUnlessSetToOneAndListed) {
    for (auto [autonnect, saved] : {std::pair{2, port}, std::pair{0, port}, std::pair{1, 150}}) {
        Log_capture::lines().clear();
        start_with(autonnect, saved);
        event_pump::for_ms(20);
        EXPECT_TRUE(Log_capture::lines().empty()) << autonnect << " " << saved;
    }
    EXPECT_EQ(timers.armed.size(), 1u);  // the tick is armed once
}

TEST_F(Connection_master, TickReachesTheActiveMasterAndRearms) {
    app->common.start();
    app->common.frame_mode_ticks = 2;
    app->common.delay->expired();
    EXPECT_EQ(app->common.frame_mode_ticks, 1);
    EXPECT_EQ(timers.armed, (std::vector<unsigned>{100, 100}));
}

TEST_F(Connection_master, SaveKeepsThePortWithoutSelection) {
    start_with(0, port);
    ui.list_select(WIN_SETTINGS, "cb_com_port", -1);
    ui.list_select(WIN_SETTINGS, "cb_ttimezone", 1);
    ui.set_checked(WIN_SETTINGS, "cb_autoconnect", true);
    app->common.saveSettings();
    EXPECT_EQ(app->settings.getInt("last_connect_device_id", 0), port);
    EXPECT_EQ(app->settings.getInt("ttimezone", 0), 1);
    EXPECT_EQ(app->settings.getInt("autonnect", 0), 1);
    EXPECT_TRUE(std::filesystem::exists(dir.file("lumo2.cfg")));

    Log_capture::lines().clear();
    app->common.connectPort();  // nothing selected: nothing happens
    EXPECT_TRUE(Log_capture::lines().empty());
}

// "resume" is checked when the file has no such key, and saved after the
// original keys, which keep their names and values.
TEST_F(Connection_master, ResumeIsOnUnlessSavedOff) {
    start_with(0, port);
    EXPECT_TRUE(ui.control(WIN_SETTINGS, "cb_resume").checked);
    ui.set_checked(WIN_SETTINGS, "cb_resume", false);
    app->common.saveSettings();
    const std::string saved = dir.read("lumo2.cfg");
    EXPECT_EQ(saved.substr(saved.find("ttimezone ")), "ttimezone 101\rresume 0\r") << saved;

    app->common.start();
    EXPECT_FALSE(ui.control(WIN_SETTINGS, "cb_resume").checked);
}

// Connecting as the user asks it: without a port chosen it says so; the
// link can be closed again and the state follows it.
TEST_F(Connection_master, AskedConnectionSaysWhatIsMissingAndDisconnects) {
    start_with(0, port);
    ui.list_select(WIN_SETTINGS, "cb_com_port", -1);
    dispatch_command(CMD_CONNECT_ASKED);
    EXPECT_TRUE(logged("No COM port chosen: choose the instrument's port in File > \"settings...\", then connect"));
    EXPECT_FALSE(app->common.connected());

    Tmy_string text;
    text.format("%d", port);
    display_set(DSP_COM_PORT, text.c_str());
    dispatch_command(CMD_TOGGLE_CONNECTION);
    ASSERT_TRUE(wait_for_line("Serial connected on port " + port_path));
    EXPECT_TRUE(app->common.connected());
    dispatch_command(CMD_TOGGLE_CONNECTION);
    ASSERT_TRUE(wait_for_line("Serial disconnected on port " + port_path));
    EXPECT_FALSE(app->common.connected());
    EXPECT_EQ(ui.control(WIN_VIEW, "pl_connected").color, RGB_BLACK);
}
