// The "Simulated instrument" window passes every change to the simulator.
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

#include "sim/Wsimulator.h"
#include "sim/Zeta_simulator.h"

namespace {

TEST(Wsimulator, EditsReachTheSimulator) {
    Tzeta_simulator sim;
    Tcell start;
    start.ppb[tracer::eosine] = 7;
    sim.set_cell(start);
    TWsimulator window(&sim, 203);
    EXPECT_EQ(window.ed_ppb[tracer::eosine]->value(), 7.0);
    EXPECT_TRUE(window.lb_port->text().startsWith("COM203"));

    window.ed_ppb[tracer::uranine]->setValue(12.5);
    window.ed_ntu->setValue(40);
    Tcell expected = start;
    expected.ppb[tracer::uranine] = 12.5;
    expected.ntu = 40;
    EXPECT_EQ(sim.cell(), expected);

    window.bt_water->click();
    EXPECT_EQ(sim.cell(), Tcell{});

    window.cb_form->setCurrentIndex(window.cb_form->findData(int(Tanswer_form::frame)));
    EXPECT_EQ(sim.form(), Tanswer_form::frame);
    window.ed_noise->setValue(0.4);
    EXPECT_DOUBLE_EQ(sim.noise(), 0.4);
    window.ed_delay->setValue(500);
    EXPECT_EQ(sim.delay_ms(), 500);
    EXPECT_EQ(window.lb_requests->text(), "Requests: 0, answers: 0");
}

}  // namespace

int main(int argc, char** argv) {
    // Listing the tests at build time has no display either.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
