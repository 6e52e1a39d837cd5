// lumo2 --simulate without the windows: the connection master starts on the
// simulator's COM port, reached through a pseudo-terminal or inside the
// program, reads its answers with the program's own receiver and parser,
// and leaves the saved settings alone.
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

#include "app/Lumo2_app.h"
#include "events/Delay_resource.h"
#include "events/Log_capture.h"
#include "link/Inprocess_port.h"
#include "link/Pty.h"
#include "link/Serial_ports.h"
#include "sim/Port_link.h"
#include "sim/Simulated_session.h"
#include "support/Fake_ui.h"

namespace {

class Tidle_timers : public Ttimer_service {
public:
    uintptr_t start_timer(Tdelay_resource*, unsigned) override { return 1; }
    void kill_timer(uintptr_t) override {}
};

std::vector<std::string> lines_received;
void capture(int kind, const unsigned char* bytes, unsigned length) {
    if (kind == 0) lines_received.emplace_back(reinterpret_cast<const char*>(bytes), length);
}

std::vector<std::pair<std::string, std::string>> entries_of(const Tsettings& settings) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < settings.entries.count(); ++i)
        entries.emplace_back(settings.entries.at(i)->key.c_str(), settings.entries.at(i)->value.c_str());
    return entries;
}

class Simulated_session : public ::testing::TestWithParam<Tsim_port> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumo2-simulate-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        setenv("LUMO2_PORT_DIR", dir.c_str(), 1);
        set_timer_service(&timers);
        event_pump::install();
        app = std::make_unique<Tlumo2_app>();
        set_the_app(app.get());
        app->settings.setInt("last_connect_device_id", 3);
        app->settings.setInt("autonnect", 0);
        app->settings.setInt("ttimezone", 1);
        lines_received.clear();
        app->common.set_data_sink(capture);
    }
    void TearDown() override {
        app.reset();
        set_the_app(nullptr);
        event_pump::uninstall();
        set_timer_service(nullptr);
        unsetenv("LUMO2_PORT_DIR");
        std::system(("rm -rf " + dir).c_str());
    }
    bool logged(const std::string& line) {
        return event_pump::until([&] {
            const auto& lines = Log_capture::lines();
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        });
    }

    std::string dir;
    Tidle_timers timers;
    Tfake_ui ui;
    Log_capture log;
    std::unique_ptr<Tlumo2_app> app;
};

TEST_P(Simulated_session, ConnectsToTheSimulatorAndKeepsTheSavedSettings) {
    const auto saved = entries_of(app->settings);
    Tsimulated_session session;
    std::string error;
    ASSERT_TRUE(session.open(&error, GetParam())) << error;
    EXPECT_EQ(session.com(), FIRST_SIMULATED_COM);
    session.simulator().set_delay_ms(0);
    session.simulator().set_noise(0, 1);
    session.start_connection(app.get());

    EXPECT_EQ(ui.selected_text(WIN_SETTINGS, "cb_com_port"), "COM200");
    Tmy_string port_path;
    serial_port_path(FIRST_SIMULATED_COM, &port_path);
    ASSERT_TRUE(logged(std::string("Serial connected on port ") + port_path.c_str()));
    EXPECT_EQ(entries_of(app->settings), saved);

    Tcell cell;
    cell.ppb[tracer::uranine] = 30;
    cell.ntu = 4;
    session.simulator().set_cell(cell);
    const unsigned char command = 'O';
    EXPECT_FALSE(send_to_instrument(&command, 1));
    ASSERT_TRUE(event_pump::until([] { return !lines_received.empty(); }));
    Tlumo_measure measure;
    parse_text_line(&measure, lines_received[0].c_str());
    const Tzeta_reading expected = session.simulator().expected_reading(cell);
    for (int lamp = 0; lamp < LAMP_COUNT; ++lamp) {
        EXPECT_NEAR(measure.lamp[lamp].off, expected.off_mv[lamp], 1e-3);
        EXPECT_NEAR(measure.delta[lamp], expected.delta_mv[lamp], 1e-3);
    }
    EXPECT_NEAR(measure.vbat, expected.battery_v, 1e-4);
    EXPECT_NEAR(measure.temperature, expected.temperature_c, 1e-4);
}

TEST_P(Simulated_session, EndingTheSessionRemovesItsPort) {
    int com = 0;
    const auto port_exists = [&com] {
        if (GetParam() == Tsim_port::inprocess) return inprocess_device(com) != nullptr;
        return access(port_link_path(com).c_str(), F_OK) == 0;
    };
    {
        Tsimulated_session session;
        ASSERT_TRUE(session.open(nullptr, GetParam()));
        com = session.com();
        EXPECT_TRUE(port_exists());
    }
    EXPECT_FALSE(port_exists());
}

INSTANTIATE_TEST_SUITE_P(Ways, Simulated_session, ::testing::Values(Tsim_port::terminal, Tsim_port::inprocess),
                         [](const auto& way) { return way.param == Tsim_port::terminal ? "terminal" : "inprocess"; });

}  // namespace
