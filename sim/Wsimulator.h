#pragma once
#include <QWidget>
#include <array>

#include "sim/Zeta_model.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;
class Tzeta_simulator;

// "Simulated instrument": what is in the simulated instrument's cell (each
// tracer in ppb, turbidity in NTU), how it answers and how noisy it is.
// Every change goes to the simulator at once; the counters refresh each
// second.
class TWsimulator : public QWidget {
    Q_OBJECT
public:
    TWsimulator(Tzeta_simulator* simulator, int com, QWidget* parent = nullptr);

    std::array<QDoubleSpinBox*, tracer::code_count> ed_ppb{};  // by tracer code, 2..6 used
    QDoubleSpinBox* ed_ntu;
    QPushButton* bt_water;
    QComboBox* cb_form;
    QDoubleSpinBox* ed_noise;
    QSpinBox* ed_delay;
    QLabel* lb_port;
    QLabel* lb_requests;

private:
    void apply_cell();
    void show_counters();

    Tzeta_simulator* simulator;
    QTimer* refresh;
};
