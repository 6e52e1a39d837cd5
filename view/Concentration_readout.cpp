#include "view/Concentration_readout.h"

#include <QGridLayout>
#include <QLabel>

#include "view/Vorn_lumo.h"

namespace {

const char LETTERS[] = "ABCT";
constexpr int VALUE_POINTS = 20;
const QColor FLOOR_TEXT(110, 110, 110);

QLabel* new_label(QWidget* parent, const QString& name, Qt::Alignment alignment)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAlignment(alignment);
    return label;
}

}  // namespace

TConcentration_readout::TConcentration_readout(QWidget* parent) : QFrame(parent)
{
    setObjectName("pl_readout");
    setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 2, 12, 2);
    grid->setVerticalSpacing(0);
    QFont large = font();
    large.setPointSize(VALUE_POINTS);
    large.setBold(true);
    for (int cell = 0; cell < READOUT_CELLS; ++cell) {
        const QString letter(QChar(LETTERS[cell]));
        captions[cell] = new_label(this, "lb_readout_" + letter + "_caption", Qt::AlignLeft | Qt::AlignBottom);
        values[cell] = new_label(this, "lb_readout_" + letter, Qt::AlignLeft | Qt::AlignTop);
        values[cell]->setFont(large);
        grid->addWidget(captions[cell], 0, cell);
        grid->addWidget(values[cell], 1, cell);
        grid->setColumnStretch(cell, 1);
    }
    show_newest();
}

TConcentration_readout::~TConcentration_readout()
{
    if (table) table->remove_listener(this);
}

void TConcentration_readout::bind(Tmeasure_table* measure_table, const Tvorn_lumo* calibration)
{
    if (table) table->remove_listener(this);
    table = measure_table;
    constants = calibration;
    if (table) table->add_listener(this);
    show_newest();
}

void TConcentration_readout::show_newest()
{
    static const Tvorn_lumo no_constants;
    const Tmeasure_row* newest = table && table->data_rows() ? &table->row(table->data_rows() - 1) : nullptr;
    const auto cells = readout_cells(newest, constants ? *constants : no_constants);
    for (int cell = 0; cell < READOUT_CELLS; ++cell) {
        const Treadout_cell& shown = cells[size_t(cell)];
        captions[cell]->setText(QString::fromLatin1(shown.caption.c_str()));
        values[cell]->setText(QString::fromLatin1(shown.value.c_str()));
        QPalette palette = values[cell]->palette();
        const QColor text = shown.at_floor ? FLOOR_TEXT : this->palette().color(QPalette::WindowText);
        palette.setColor(QPalette::WindowText, text);
        values[cell]->setPalette(palette);
        values[cell]->setToolTip(shown.at_floor ? "At the conversion's detection floor: the value lies below it."
                                                : QString());
    }
}
