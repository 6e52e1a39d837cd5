#include "app/Latest_group.h"

#include <QGridLayout>
#include <QLabel>

#include "app/Gui.h"

namespace {

constexpr int VALUE_COLUMNS = 6;

QLabel* value_label(QWidget* parent, const char* name)
{
    auto* label = new QLabel("---", parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

}  // namespace

TLatest_group::TLatest_group(QWidget* parent) : QGroupBox("Latest", parent)
{
    setObjectName("GroupBox1");
    grid = new QGridLayout(this);
    const char* columns[VALUE_COLUMNS] = {"Lamp A", "Lamp B", "Lamp C", "Lamp T", "Vbat", "T°"};
    for (int c = 0; c < VALUE_COLUMNS; c++) {
        auto* caption = new QLabel(QString::fromUtf8(columns[c]), this);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(caption, 0, c + 1);
    }
    const char* rows[] = {"On", "Off", "Delta"};
    for (int r = 0; r < 3; r++) grid->addWidget(new QLabel(rows[r], this), r + 1, 0);
    QLabel** lamps[4][3] = {{&lb_lampA_on, &lb_lampA_off, &lb_lampA_delta},
                            {&lb_lampB_on, &lb_lampB_off, &lb_lampB_delta},
                            {&lb_lampC_on, &lb_lampC_off, &lb_lampC_delta},
                            {&lb_lampT_on, &lb_lampT_off, &lb_lampT_delta}};
    // Each lamp has three display ids, off, on and delta; the rows are on, off, delta.
    const int id_of_row[3] = {1, 0, 2};
    for (int lamp = 0; lamp < 4; lamp++)
        for (int row = 0; row < 3; row++) {
            const int id = DSP_LAMP_A_OFF + 3 * lamp + id_of_row[row];
            *lamps[lamp][row] = value_label(this, latest_label_name(id));
            grid->addWidget(*lamps[lamp][row], row + 1, lamp + 1);
        }
    lb_vbat = value_label(this, latest_label_name(DSP_VBAT));
    grid->addWidget(lb_vbat, 1, 5);
    lb_temp = value_label(this, latest_label_name(DSP_TEMPERATURE));
    grid->addWidget(lb_temp, 1, 6);
}

void TLatest_group::set_value_width(int pixels)
{
    for (QLabel* value : values()) value->setMinimumWidth(pixels);
}

void TLatest_group::pack_tightly()
{
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    for (int c = 1; c <= VALUE_COLUMNS; c++) grid->setColumnStretch(c, 1);
}

std::array<QLabel*, 14> TLatest_group::values() const
{
    return {lb_lampA_on, lb_lampA_off, lb_lampA_delta, lb_lampB_on, lb_lampB_off, lb_lampB_delta, lb_lampC_on,
            lb_lampC_off, lb_lampC_delta, lb_lampT_on, lb_lampT_off, lb_lampT_delta, lb_vbat, lb_temp};
}
