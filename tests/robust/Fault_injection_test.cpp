// Faults on the instrument line, end to end: the simulator spoils answers or
// vanishes while the live view (mode 2) or the calibration window (mode 1)
// acquires through the real connection master, serial resource and queue.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "events/Lib_cpp.h"
#include "events/My_string.h"
#include "link/Serial_ports.h"
#include "robust/Live_rig.h"

namespace {

struct Tcase {
    const char* name;
    Tfault_kind kind;
    Tanswer_form form;
    unsigned bytes;
    int mode;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Tcase& c, std::ostream* out) { *out << c.name; }

// What the user sees: the "Latest" labels of the window and the table.
struct Tshown {
    std::vector<std::string> labels;
    std::string table;
};

const char* const LATEST[] = {"lb_lampA_off", "lb_lampA_on", "lb_lampB_off", "lb_lampB_on", "lb_lampC_off",
                              "lb_lampC_on",  "lb_lampT_off", "lb_lampT_on", "lb_vbat",      "lb_temp"};

class Fault_injection : public ::testing::TestWithParam<Tcase> {
protected:
    void SetUp() override {
        const Tcase& c = GetParam();
        window = c.mode == MODE_VIEW ? WIN_VIEW : WIN_CAL;
        Tcell cell;
        cell.ppb[tracer::uranine] = 25;
        cell.ntu = 3;
        rig.sim.set_cell(cell);
        rig.sim.set_form(c.form);
        expected = rig.sim.expected_reading(cell);
        ASSERT_TRUE(rig.connect());
        rig.press(c.mode == MODE_VIEW ? CMD_MODE_VIEW : CMD_MODE_CALIBRATION);
        rig.press(CMD_START);
        ASSERT_TRUE(answered(1));
    }

    // Waits for the n-th answer to be received and handled.
    bool answered(int n) {
        return live_pump::until([&] { return Tlive_rig::answers_received() >= n; }) && rig.drain(50);
    }

    Tshown shown() {
        Tshown s;
        for (const char* label : LATEST) s.labels.push_back(rig.ui.control(window, label).text);
        rig.app->view_master.table.table_text(&s.table);
        return s;
    }

    // The reading now shown and, in the live view, the last row carry the
    // simulator's values.
    void expect_good_reading() {
        const Tlumo_sample* reading = rig.app->cal_master.reading();
        std::vector<float> deltas;
        if (window == WIN_VIEW) {
            ASSERT_GT(rig.rows(), 0u);
            const Tmeasure_row& row = rig.app->view_master.table.row(rig.rows() - 1);
            deltas.assign(row.delta, row.delta + LAMP_COUNT);
        } else {
            deltas.assign(reading->delta, reading->delta + LAMP_COUNT);
        }
        for (int lamp = 0; lamp < LAMP_COUNT; ++lamp)
            EXPECT_NEAR(deltas[size_t(lamp)], expected.delta_mv[size_t(lamp)], 1e-3) << "lamp " << lamp;
    }

    Tlive_rig rig;
    Twindow window = WIN_VIEW;
    Tzeta_reading expected;
};

TEST_P(Fault_injection, SurvivesKeepsWhatWasShownAndResumes) {
    const Tcase& c = GetParam();
    const Tshown before = shown();
    const unsigned rows_before = rig.rows();
    const auto requests_before = rig.sim.requests_seen().requests;
    unsigned longest_line = 0;
    unsigned largest_buffer = 0;
    auto watch_buffer = [&] {
        longest_line = std::max(longest_line, rig.app->common.rx_line.length());
        largest_buffer = std::max(largest_buffer, rig.app->common.rx_line.getCapacity());
        return false;
    };

    rig.sim.inject({c.kind, c.bytes});
    rig.next_request();
    if (c.kind == Tfault_kind::disconnect) {
        ASSERT_TRUE(live_pump::until([&] { return !rig.connected(); }));
        for (Twindow w : {WIN_MAIN, WIN_CAL, WIN_VIEW})
            EXPECT_EQ(rig.ui.control(w, "pl_connected").color, RGB_BLACK);
        Tmy_string port_path;
        serial_port_path(7, &port_path);
        EXPECT_TRUE(rig.ui.has_line(window, "Memo1", std::string("Serial disconnected on port ") + port_path.c_str()));
        // Requests go nowhere while the adapter is out; the program carries on.
        rig.next_request();
        rig.settle(100);
    } else {
        // The simulator has written (or dropped) its answer; take in all of
        // it. It answers at once, so a pause of 400 ms ends the answer.
        live_pump::until([&] { return rig.sim.requests_seen().requests > requests_before; });
        const long long end = live_pump::now_ms() + 30000;
        while (live_pump::now_ms() < end) {
            watch_buffer();
            if (!live_pump::deliver_one(400))
                break;
        }
    }

    // Nothing shown or tabled before is lost; a rejected answer adds no row.
    const Tshown after = shown();
    EXPECT_EQ(after.table.substr(0, before.table.size()), before.table);
    if (c.kind == Tfault_kind::garbage && c.form != Tanswer_form::frame) {
        // The junk line is tabled with every value missing, then the answer.
        ASSERT_EQ(rig.rows(), rows_before + (window == WIN_VIEW ? 2u : 0u));
        if (window == WIN_VIEW) {
            const Tmeasure_row& junk = rig.app->view_master.table.row(rows_before);
            for (float delta : junk.delta) {
                EXPECT_TRUE(is_undefined(delta));
            }
        }
        expect_good_reading();
    } else if (c.kind == Tfault_kind::garbage) {
        EXPECT_EQ(rig.rows(), rows_before + (window == WIN_VIEW ? 1u : 0u));
        expect_good_reading();
    } else {
        EXPECT_EQ(rig.rows(), rows_before);
        EXPECT_EQ(after.labels, before.labels);
    }
    EXPECT_LE(longest_line, RX_LINE_LIMIT);
    EXPECT_LE(largest_buffer, RX_LINE_MEMORY_LIMIT);

    // "Connect" after a pulled adapter; then the next request is answered.
    if (c.kind == Tfault_kind::disconnect) {
        ASSERT_TRUE(rig.reconnect());
    }
    const int received = Tlive_rig::answers_received();
    const unsigned rows = rig.rows();
    rig.next_request();
    ASSERT_TRUE(answered(received + 1)) << c.name;
    EXPECT_EQ(rig.rows(), rows + (window == WIN_VIEW ? 1u : 0u));
    expect_good_reading();
}

std::vector<Tcase> cases() {
    const struct {
        const char* name;
        Tfault_kind kind;
        Tanswer_form form;
        unsigned bytes;
    } faults[] = {
        {"garbage", Tfault_kind::garbage, Tanswer_form::text, 200},
        {"garbage_frame", Tfault_kind::garbage, Tanswer_form::frame, 200},
        {"bad_checksum", Tfault_kind::bad_checksum, Tanswer_form::frame, 0},
        {"truncated", Tfault_kind::truncated, Tanswer_form::text, 0},
        {"truncated_frame", Tfault_kind::truncated, Tanswer_form::frame, 0},
        {"no_answer", Tfault_kind::no_answer, Tanswer_form::text, 0},
        {"burst", Tfault_kind::burst, Tanswer_form::text, 100000},
        {"burst_frame", Tfault_kind::burst, Tanswer_form::frame, 100000},
        {"disconnect", Tfault_kind::disconnect, Tanswer_form::text, 0},
    };
    std::vector<Tcase> all;
    for (int mode : {MODE_VIEW, MODE_CALIBRATION})
        for (const auto& f : faults) all.push_back({f.name, f.kind, f.form, f.bytes, mode});
    return all;
}

INSTANTIATE_TEST_SUITE_P(Live, Fault_injection, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Tcase>& info) {
                             return std::string(info.param.mode == MODE_VIEW ? "view_" : "calibration_") +
                                    info.param.name;
                         });

}  // namespace
