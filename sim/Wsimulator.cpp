#include "sim/Wsimulator.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "sim/Zeta_simulator.h"
#include "view/Codes.h"

namespace {

constexpr double MAX_PPB = 10000.0;
constexpr double MAX_NTU = 4000.0;

QDoubleSpinBox* amount_box(double maximum, double step, int decimals, double value) {
    auto* box = new QDoubleSpinBox;
    box->setRange(0.0, maximum);
    box->setDecimals(decimals);
    box->setSingleStep(step);
    box->setValue(value);
    return box;
}

}  // namespace

TWsimulator::TWsimulator(Tzeta_simulator* simulator_, int com, QWidget* parent)
    : QWidget(parent, Qt::Window), simulator(simulator_) {
    setObjectName("Wsimulator");
    setWindowTitle("Simulated instrument");
    const Tcell cell = simulator->cell();

    auto* cell_box = new QGroupBox("Cell contents");
    auto* cell_form = new QFormLayout(cell_box);
    for (int code = tracer::uranine; code < tracer::code_count; ++code) {
        ed_ppb[code] = amount_box(MAX_PPB, 1.0, 2, cell.ppb[code]);
        ed_ppb[code]->setObjectName(QString("ed_ppb_%1").arg(code));
        ed_ppb[code]->setSuffix(" ppb");
        cell_form->addRow(tracer_name(static_cast<unsigned char>(code)), ed_ppb[code]);
        connect(ed_ppb[code], &QDoubleSpinBox::valueChanged, this, &TWsimulator::apply_cell);
    }
    ed_ntu = amount_box(MAX_NTU, 1.0, 2, cell.ntu);
    ed_ntu->setObjectName("ed_ntu");
    ed_ntu->setSuffix(" NTU");
    cell_form->addRow("Turbidity", ed_ntu);
    connect(ed_ntu, &QDoubleSpinBox::valueChanged, this, &TWsimulator::apply_cell);
    bt_water = new QPushButton("Clean water");
    bt_water->setObjectName("bt_water");
    cell_form->addRow(bt_water);
    connect(bt_water, &QPushButton::clicked, this, [this] {
        for (QDoubleSpinBox* box : ed_ppb)
            if (box) box->setValue(0.0);
        ed_ntu->setValue(0.0);
    });

    auto* answer_box = new QGroupBox("Answers");
    auto* answer_form = new QFormLayout(answer_box);
    cb_form = new QComboBox;
    cb_form->setObjectName("cb_form");
    cb_form->addItem("Text line", int(Tanswer_form::text));
    cb_form->addItem("Text line with time", int(Tanswer_form::text_time));
    cb_form->addItem("Binary frame", int(Tanswer_form::frame));
    cb_form->setCurrentIndex(cb_form->findData(int(simulator->form())));
    answer_form->addRow("Form", cb_form);
    connect(cb_form, &QComboBox::currentIndexChanged, this,
            [this] { simulator->set_form(static_cast<Tanswer_form>(cb_form->currentData().toInt())); });
    ed_noise = amount_box(10.0, 0.05, 2, simulator->noise());
    ed_noise->setObjectName("ed_noise");
    answer_form->addRow("Noise level", ed_noise);
    connect(ed_noise, &QDoubleSpinBox::valueChanged, this, [this](double level) { simulator->set_noise(level, 1); });
    ed_delay = new QSpinBox;
    ed_delay->setObjectName("ed_delay");
    ed_delay->setRange(0, 10000);
    ed_delay->setSingleStep(500);
    ed_delay->setSuffix(" ms");
    ed_delay->setValue(simulator->delay_ms());
    answer_form->addRow("Answer delay", ed_delay);
    connect(ed_delay, &QSpinBox::valueChanged, this, [this](int ms) { simulator->set_delay_ms(ms); });

    lb_port = new QLabel(QString("COM%1 (%2)").arg(com).arg(QString::fromStdString(simulator->slave_path())));
    lb_port->setObjectName("lb_port");
    lb_requests = new QLabel;
    lb_requests->setObjectName("lb_requests");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lb_port);
    layout->addWidget(cell_box);
    layout->addWidget(answer_box);
    layout->addWidget(lb_requests);

    refresh = new QTimer(this);
    connect(refresh, &QTimer::timeout, this, &TWsimulator::show_counters);
    refresh->start(1000);
    show_counters();
}

void TWsimulator::apply_cell() {
    Tcell cell;
    for (int code = tracer::uranine; code < tracer::code_count; ++code) cell.ppb[code] = ed_ppb[code]->value();
    cell.ntu = ed_ntu->value();
    simulator->set_cell(cell);
}

void TWsimulator::show_counters() {
    const Tsim_counters seen = simulator->requests_seen();
    lb_requests->setText(QString("Requests: %1, answers: %2").arg(seen.requests).arg(seen.answers));
}
