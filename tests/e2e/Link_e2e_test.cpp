// The link as the user meets it: connected at start-up from the saved
// settings, answers handed to the master of the open window only, a pulled
// adapter seen and survived, and "Connect" bringing it back.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>

#include "app/Gui.h"
#include "app/Lumo2_app.h"
#include "app/Ui_port.h"
#include "e2e/E2e_program.h"
#include "events/My_string.h"
#include "support/Message_box.h"

using namespace e2e;

namespace {

// What the view master logs for a text answer: the line without CR and LF.
QString rx_line_of(const std::string& wire)
{
    QString line = "RX : ";
    for (char c : wire)
        if (c != '\r' && c != '\n') line += QLatin1Char(c);
    return line;
}

int rx_lines_anywhere()
{
    return count_lines_starting("Fframe", "Memo0", "RX : ") + count_lines_starting("Flumo_view", "Memo1", "RX : ") +
           count_lines_starting("Flumo_cal", "Memo1", "RX : ");
}

unsigned view_rows() { return the_app()->view_master.table.data_rows(); }

void expect_row_matches(unsigned row, const Tzeta_reading& expected)
{
    const Tmeasure_row& got = the_app()->view_master.table.row(row);
    for (int lamp = 0; lamp < 4; ++lamp)
        EXPECT_NEAR(got.delta[lamp], expected.delta_mv[lamp], 1e-3) << "row " << row << ", lamp " << lamp;
    EXPECT_NEAR(got.temperature, expected.temperature_c, 1e-3);
}

class Link_scenario {
public:
    explicit Link_scenario(Te2e_program& program) : program(program), port(device_path(Te2e_program::COM)) {}

    void connected_at_start_up()
    {
        const QStringList log = lines("Fframe", "Memo0");
        const qsizetype connecting = log.indexOf("Connecting to " + port);
        EXPECT_GE(connecting, 0) << log.join('\n').toStdString();
        ASSERT_TRUE(wait_until([] { return indicators_are(RGB_GREEN); }));
        const qsizetype connected = lines("Fframe", "Memo0").indexOf("Serial connected on port " + port);
        EXPECT_GT(connected, connecting);
    }

    // No window is open: the answer reaches no master and shows nowhere.
    void main_mode_drops_answers()
    {
        ASSERT_EQ(bridge_state().current_mode, MODE_MAIN);
        const unsigned char request = 'O';
        send_to_instrument(&request, 1);
        ASSERT_TRUE(wait_until([this] { return program.sim.requests_seen().answers == 1; }));
        settle(300);
        EXPECT_TRUE(the_app()->common.rx_line.length() == 0) << "the answer was not taken in whole";
        EXPECT_EQ(rx_lines_anywhere(), 0);
        EXPECT_EQ(view_rows(), 0u);
        EXPECT_FALSE(control<QPushButton>("Flumo_cal", "bt_store")->isEnabled());
    }

    // In the view window a text answer arrives as a line, a frame as a
    // payload. Frames come last: for 35 s after one, line ends mean nothing.
    void view_mode_dispatches_lines_and_frames()
    {
        control<QPushButton>("Fframe", "Button1")->click();
        ASSERT_EQ(bridge_state().current_mode, MODE_VIEW);
        Tcell cell;
        cell.ppb[tracer::uranine] = 20;
        cell.ntu = 5;
        program.sim.set_cell(cell);
        const Tzeta_reading expected = program.sim.expected_reading(cell);

        control<QPushButton>("Flumo_view", "bt_start")->click();
        ASSERT_TRUE(wait_until([] { return view_rows() == 1; }));
        EXPECT_TRUE(has_line("Flumo_view", "Memo1", "TX : O"));
        EXPECT_TRUE(has_line("Flumo_view", "Memo1", rx_line_of(program.answers().back())));
        EXPECT_EQ(count_lines_starting("Flumo_view", "Memo1", "VIRO LUMO "), 0);
        expect_row_matches(0, expected);
        const QAbstractItemModel* grid = control<QTableView>("Flumo_view", "StringGrid1")->model();
        EXPECT_EQ(grid->rowCount(), 1);
        Tmy_string delta_a;
        delta_a.format("%0.3f", double(the_app()->view_master.table.row(0).delta[0]));
        EXPECT_EQ(grid->data(grid->index(0, 3)).toString(), QString(delta_a.c_str()));

        program.sim.set_form(Tanswer_form::frame);
        control<QPushButton>("Flumo_view", "bt_stop")->click();
        control<QPushButton>("Flumo_view", "bt_start")->click();
        ASSERT_TRUE(wait_until([] { return view_rows() == 2; }));
        EXPECT_EQ(count_lines_starting("Flumo_view", "Memo1", "VIRO LUMO "), 1);
        EXPECT_EQ(count_lines_starting("Flumo_view", "Memo1", "RX : "), 1);
        expect_row_matches(1, expected);
    }

    // The adapter is pulled: all three lamps go black, the program goes on,
    // and "Connect" reaches the instrument again once it is back.
    void pulled_adapter_then_connect()
    {
        program.sim.inject({Tfault_kind::disconnect});
        ASSERT_TRUE(wait_until([] { return indicators_are(RGB_BLACK); }));
        EXPECT_TRUE(has_line("Flumo_view", "Memo1", "Serial disconnected on port " + port));

        // Requests go nowhere, but the windows and the tick still work.
        control<QPushButton>("Flumo_view", "bt_stop")->click();
        control<QPushButton>("Flumo_view", "bt_start")->click();
        settle(300);
        EXPECT_EQ(count_lines_starting("Flumo_view", "Memo1", "TX : O"), 3);
        EXPECT_EQ(view_rows(), 2u);
        answer_message_box("close_question", QMessageBox::Yes);
        window("Flumo_view")->close();
        EXPECT_TRUE(window("Fframe")->isVisible());

        ASSERT_TRUE(program.restart_simulator());
        control<QPushButton>("Fframe", "Button2")->click();
        ASSERT_EQ(bridge_state().current_mode, MODE_CALIBRATION);
        control<QAction>("Flumo_cal", "Connect1")->trigger();
        ASSERT_TRUE(wait_until([] { return indicators_are(RGB_GREEN); }));
        EXPECT_TRUE(has_line("Flumo_cal", "Memo1", "Connecting to " + port));
        EXPECT_TRUE(has_line("Flumo_cal", "Memo1", "Serial connected on port " + port));

        control<QAction>("Flumo_cal", "Start1")->trigger();
        QPushButton* store = control<QPushButton>("Flumo_cal", "bt_store");
        ASSERT_TRUE(wait_until([store] { return store->isEnabled(); }))
            << lines("Flumo_cal", "Memo1").join('\n').toStdString();
        EXPECT_EQ(count_lines_starting("Flumo_cal", "Memo1", "VIRO LUMO "), 1);
        control<QAction>("Flumo_cal", "Stop1")->trigger();
    }

private:
    Te2e_program& program;
    QString port;
};

TEST(Link_e2e, AutoConnectedAtStartUpAnswersByModePulledAdapterThenConnect)
{
    Te2e_program program;
    ASSERT_TRUE(program.sim.running());
    program.write_autoconnect_settings();
    const int code = program.run([&program] {
        Link_scenario scenario(program);
        // Each step relies on the one before; stop at the first that fails.
        scenario.connected_at_start_up();
        if (testing::Test::HasFatalFailure()) return;
        scenario.main_mode_drops_answers();
        if (testing::Test::HasFatalFailure()) return;
        scenario.view_mode_dispatches_lines_and_frames();
        if (testing::Test::HasFatalFailure()) return;
        scenario.pulled_adapter_then_connect();
    });
    EXPECT_EQ(code, 0);
    const std::string saved = program.work.read("lumo2.cfg");
    EXPECT_NE(saved.find("last_connect_device_id 120\r"), std::string::npos) << saved;
    EXPECT_NE(saved.find("autonnect 1\r"), std::string::npos) << saved;
}

TEST(Link_e2e, WithoutAutomaticConnectionNothingIsOpened)
{
    Te2e_program program;
    ASSERT_TRUE(program.sim.running());
    program.write_settings("TYPE=2\rlast_connect_device_id 120\rautonnect 2\r");
    program.run([] {
        settle(300);
        EXPECT_EQ(count_lines_starting("Fframe", "Memo0", "Connecting to "), 0);
        EXPECT_FALSE(indicators_are(RGB_GREEN));
    });
}

void click(QWidget* widget)
{
    const QPointF inside(2, 2);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, widget->mapToGlobal(inside), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// Without automatic connection: START says that nothing is connected, and
// the view itself connects (File › "connect", or a click on its lamp) and
// disconnects.
TEST(Link_e2e, ViewSaysItIsNotConnectedAndConnectsItself)
{
    Te2e_program program;
    ASSERT_TRUE(program.sim.running());
    program.write_settings("TYPE=2\rlast_connect_device_id 120\rautonnect 0\r");
    program.run([] {
        control<QPushButton>("Fframe", "Button1")->click();
        control<QPushButton>("Flumo_view", "bt_start")->click();
        EXPECT_EQ(count_lines_starting("Flumo_view", "Memo1", "Not connected to the instrument: "), 1);
        QLabel* state = control<QLabel>("Flumo_view", "lb_measuring");
        ASSERT_NE(state, nullptr);
        EXPECT_TRUE(state->text().contains("NOT CONNECTED")) << state->text().toStdString();

        control<QAction>("Flumo_view", "connect1")->trigger();
        ASSERT_TRUE(wait_until([] { return indicators_are(RGB_GREEN); }));
        EXPECT_TRUE(has_line("Flumo_view", "Memo1", "Connecting to " + device_path(Te2e_program::COM)));
        EXPECT_FALSE(state->text().contains("NOT CONNECTED")) << state->text().toStdString();
        // Still measuring: the next STOP, START is answered.
        control<QPushButton>("Flumo_view", "bt_stop")->click();
        control<QPushButton>("Flumo_view", "bt_start")->click();
        ASSERT_TRUE(wait_until([] { return view_rows() == 1; }));

        QFrame* lamp = control<QFrame>("Flumo_view", "pl_connected");
        click(lamp);
        ASSERT_TRUE(wait_until([] { return indicators_are(RGB_BLACK); }));
        EXPECT_TRUE(state->text().contains("NOT CONNECTED")) << state->text().toStdString();
        click(lamp);
        ASSERT_TRUE(wait_until([] { return indicators_are(RGB_GREEN); }));
        control<QAction>("Flumo_view", "disconnect1")->trigger();
        ASSERT_TRUE(wait_until([] { return indicators_are(RGB_BLACK); }));
        // Still measuring: "exit" follows without the view's question.
        EXPECT_TRUE(the_app()->view_master.is_running());
    });
}

}  // namespace

int main(int argc, char** argv)
{
    // Each test makes its own application object through run_application.
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
