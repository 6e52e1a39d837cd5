// A whole calibration taken in the calibration window through the serial
// link, saved as the constants file, loaded in the view window and checked
// on a known mixture of three tracers and turbidity.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QTableView>

#include <ostream>

#include "app/Lumo2_app.h"
#include "app/Ui_port.h"
#include "e2e/E2e_steps.h"
#include "events/My_string.h"

using namespace e2e;

namespace {

struct Tcal_case {
    const char* name;
    Tconfiguration_case config;
    double noise;      // the simulator's noise level: 0, or its default 0.05
    double tolerance;  // relative error allowed on each result
};

void PrintTo(const Tcal_case& c, std::ostream* out) { *out << c.name; }

constexpr double DEFAULT_NOISE = 0.05;
constexpr double MIXTURE_PPB[3] = {20, 5, 40};
constexpr double MIXTURE_NTU = 10;
constexpr int READINGS = 3;

class Calibration_e2e : public testing::TestWithParam<Tcal_case> {};

// Each reading of the mixture, as the table holds it and as the grid and
// the log show it.
void check_mixture_row(unsigned row_index, double tolerance)
{
    const Tmeasure_row& row = the_app()->view_master.table.row(row_index);
    const char* const lamp_names[3] = {"A", "B", "C"};
    for (int lamp = 0; lamp < 3; ++lamp) {
        EXPECT_NEAR(row.ppb[lamp], MIXTURE_PPB[lamp], tolerance * MIXTURE_PPB[lamp]) << "lamp " << lamp_names[lamp];
        Tmy_string line;
        line.format("Lamp %s : %0.3f ppb", lamp_names[lamp], double(row.ppb[lamp]));
        EXPECT_TRUE(has_line("Flumo_view", "Memo1", line.c_str())) << line.c_str();
    }
    EXPECT_NEAR(row.ntu, MIXTURE_NTU, tolerance * MIXTURE_NTU);

    const QAbstractItemModel* grid = control<QTableView>("Flumo_view", "StringGrid1")->model();
    Tmy_string ntu;
    ntu.format("%0.3f", double(row.ntu));
    EXPECT_EQ(grid->data(grid->index(int(row_index), 11)).toString(), QString(ntu.c_str()));
}

TEST_P(Calibration_e2e, TakenInTheWindowItConvertsAKnownMixtureBack)
{
    const Tcal_case& c = GetParam();
    Te2e_program program;
    ASSERT_TRUE(program.sim.running());
    program.sim.set_noise(c.noise, 7);
    program.write_autoconnect_settings();
    const std::string dat = program.work.file("constants.dat");
    program.run([&] {
        ASSERT_TRUE(wait_until([] { return indicators_are(RGB_GREEN); }));
        calibrate(program, c.config, dat);
        if (HasFatalFailure()) return;
        open_view_from_calibration();
        if (HasFatalFailure()) return;
        load_constants_in_view(dat);
        if (HasFatalFailure()) return;

        Tcell mixture;
        for (int lamp = 0; lamp < 3; ++lamp) mixture.ppb[c.config.tracers[lamp]] = MIXTURE_PPB[lamp];
        mixture.ntu = MIXTURE_NTU;
        program.sim.set_cell(mixture);
        for (int reading = 0; reading < READINGS; ++reading) {
            SCOPED_TRACE(testing::Message() << "reading " << reading);
            fresh_view_row();
            if (HasFatalFailure()) return;
            check_mixture_row(the_app()->view_master.table.data_rows() - 1, c.tolerance);
        }
    });
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, Calibration_e2e,
    testing::Values(Tcal_case{"I_II_III_noise_off", CONFIGURATION_I_II_III, 0.0, 0.02},
                    Tcal_case{"I_II_III_default_noise", CONFIGURATION_I_II_III, DEFAULT_NOISE, 0.10},
                    Tcal_case{"I_II_V_noise_off", CONFIGURATION_I_II_V, 0.0, 0.02},
                    Tcal_case{"I_II_V_default_noise", CONFIGURATION_I_II_V, DEFAULT_NOISE, 0.10},
                    Tcal_case{"I_II_V_eosine_noise_off", CONFIGURATION_I_II_V_EOSINE, 0.0, 0.02}),
    [](const testing::TestParamInfo<Tcal_case>& info) { return std::string(info.param.name); });

}  // namespace

int main(int argc, char** argv)
{
    // Each test makes its own application object through run_application.
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
