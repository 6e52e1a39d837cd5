// The live view through the serial link: rows from START, concentrations
// once a constants file is loaded, and requests every 10 s even with every
// lamp unticked.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTableView>

#include "app/Lumo2_app.h"
#include "app/Ui_port.h"
#include "e2e/E2e_steps.h"

using namespace e2e;

namespace {

constexpr int TICKS_PER_REQUEST = 100;  // 10 s of 100 ms ticks

const QAbstractItemModel* grid() { return control<QTableView>("Flumo_view", "StringGrid1")->model(); }

QString cell(int row, int column) { return grid()->data(grid()->index(row, column)).toString(); }

unsigned rows() { return the_app()->view_master.table.data_rows(); }

int sent_without_lamps() { return count_lines_starting("Flumo_view", "Memo1", "TX : @"); }

// Lets the view master's tick run, as the 100 ms delay would, until its next
// request leaves; returns how many ticks that took. The delay's own ticks
// keep running while the test waits, so up to `elapsed_ms` / 100 (and one
// more for a tick due at once) may already have been spent.
int ticks_until_next_request()
{
    const int sent = sent_without_lamps();
    int ticks = 0;
    while (sent_without_lamps() == sent && ticks <= TICKS_PER_REQUEST) {
        the_app()->view_master.tick();
        ++ticks;
    }
    return ticks;
}

void expect_ten_seconds(int ticks, qint64 elapsed_ms)
{
    EXPECT_LE(ticks, TICKS_PER_REQUEST);
    EXPECT_GE(ticks, TICKS_PER_REQUEST - int(elapsed_ms / 100) - 1) << elapsed_ms << " ms had passed";
}

class Live_view_scenario {
public:
    explicit Live_view_scenario(Te2e_program& program) : program(program) {}

    // The constants come from a calibration taken in the calibration window.
    void constants_from_a_calibration()
    {
        ASSERT_TRUE(wait_until([] { return indicators_are(RGB_GREEN); }));
        calibrate(program, CONFIGURATION_I_II_III, dat);
        if (testing::Test::HasFatalFailure()) return;
        open_view_from_calibration();
    }

    void rows_without_then_with_concentrations()
    {
        Tcell mixture;
        mixture.ppb[tracer::uranine] = 12;
        mixture.ppb[tracer::amino_g_acid] = 30;
        mixture.ntu = 4;
        program.sim.set_cell(mixture);
        EXPECT_EQ(grid()->rowCount(), 1);  // the header texts, as an ordinary row
        control<QPushButton>("Flumo_view", "bt_start")->click();
        ASSERT_TRUE(wait_until([] { return rows() == 1; }));
        EXPECT_EQ(grid()->rowCount(), 1);
        EXPECT_NE(cell(0, 3), "-");
        for (int column = 8; column <= 11; ++column)
            EXPECT_EQ(cell(0, column), "-") << "column " << column;

        load_constants_in_view(dat);
        if (testing::Test::HasFatalFailure()) return;
        EXPECT_EQ(rows(), 1u) << "loading keeps the table";
        fresh_view_row();
        if (testing::Test::HasFatalFailure()) return;
        EXPECT_EQ(grid()->rowCount(), 2);
        const Tmeasure_row& row = the_app()->view_master.table.row(1);
        EXPECT_NEAR(row.ppb[0], 12, 0.24);
        EXPECT_LE(row.ppb[1], 0.102) << "no tracer on lamp B";
        EXPECT_NEAR(row.ppb[2], 30, 0.6);
        EXPECT_NEAR(row.ntu, 4, 0.08);
        for (int column = 8; column <= 11; ++column)
            EXPECT_NE(cell(1, column), "-") << "column " << column;
        EXPECT_EQ(cell(0, 8), "-") << "the earlier row is not converted afterwards";
    }

    void unticked_lamps_still_request_every_ten_seconds()
    {
        control<QPushButton>("Flumo_view", "bt_stop")->click();
        for (const char* box : {"cb_lampe_A", "cb_lampe_B", "cb_lampe_C", "cb_lampe_T"})
            control<QCheckBox>("Flumo_view", box)->setChecked(false);
        const unsigned before = rows();
        ASSERT_EQ(sent_without_lamps(), 0);
        ASSERT_EQ(program.sim.requests_seen().by_mask[0], 0u);
        const std::uint64_t requests_before = program.sim.requests_seen().requests;

        QElapsedTimer since_request;
        control<QPushButton>("Flumo_view", "bt_start")->click();
        since_request.start();
        EXPECT_EQ(sent_without_lamps(), 1);
        for (unsigned requests = 1; requests <= 3; ++requests) {
            SCOPED_TRACE(testing::Message() << "request " << requests);
            ASSERT_TRUE(wait_until([&] {
                return program.sim.requests_seen().by_mask[0] == requests && rows() == before + requests;
            }));
            // The answer to '@' carries no lamp: its row shows no signal.
            for (int column = 3; column <= 6; ++column)
                EXPECT_EQ(cell(int(before + requests - 1), column), "-") << "column " << column;
            if (requests == 3) break;
            const qint64 elapsed = since_request.elapsed();
            const int ticks = ticks_until_next_request();
            since_request.restart();
            expect_ten_seconds(ticks, elapsed);
            EXPECT_EQ(sent_without_lamps(), int(requests) + 1);
        }
        EXPECT_EQ(program.sim.requests_seen().requests, requests_before + 3) << "only 0x40 was sent";
        control<QPushButton>("Flumo_view", "bt_stop")->click();
    }

private:
    Te2e_program& program;
    std::string dat = program.work.file("constants.dat");
};

TEST(Live_view_e2e, RowsThenConcentrationsThenUntickedLampsEveryTenSeconds)
{
    Te2e_program program;
    ASSERT_TRUE(program.sim.running());
    program.write_autoconnect_settings();
    program.run([&program] {
        Live_view_scenario scenario(program);
        scenario.constants_from_a_calibration();
        if (testing::Test::HasFatalFailure()) return;
        scenario.rows_without_then_with_concentrations();
        if (testing::Test::HasFatalFailure()) return;
        scenario.unticked_lamps_still_request_every_ten_seconds();
    });
}

}  // namespace

int main(int argc, char** argv)
{
    // Each test makes its own application object through run_application.
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
