#pragma once
#include <QFrame>

#include "view/Measure_table.h"
#include "view/Readout_text.h"

class QLabel;
class Tvorn_lumo;

// The newest row's concentrations and turbidity in large figures, above the
// view window's pages, readable from a step away (Readout_text).
class TConcentration_readout : public QFrame, private Tmeasure_table_listener {
    Q_OBJECT
public:
    explicit TConcentration_readout(QWidget* parent = nullptr);
    ~TConcentration_readout() override;

    // Shows the table's newest row under the constants; both outlive the readout.
    void bind(Tmeasure_table* table, const Tvorn_lumo* constants);
    // Call when constants were loaded: the captions name their tracers.
    void show_newest();

    QLabel* captions[READOUT_CELLS];
    QLabel* values[READOUT_CELLS];  // "lb_readout_A" to "lb_readout_C", "lb_readout_T"

private:
    void row_about_to_be_added(unsigned) override {}
    void row_added() override { show_newest(); }
    void table_about_to_clear() override {}
    void table_cleared() override { show_newest(); }

    Tmeasure_table* table = nullptr;
    const Tvorn_lumo* constants = nullptr;
};
