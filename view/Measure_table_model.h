#pragma once
#include <QAbstractTableModel>

#include "events/My_string.h"
#include "view/Measure_table.h"

// The measurement table as the view window's grid shows it. Until the first
// measurement the header texts are an ordinary row; from then on they are
// the grid's fixed header and the rows are the measurements. Cells are
// formatted only when the grid asks for them.
class Tmeasure_table_model : public QAbstractTableModel, private Tmeasure_table_listener {
    Q_OBJECT
public:
    explicit Tmeasure_table_model(Tmeasure_table* table, QObject* parent = nullptr);
    ~Tmeasure_table_model() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    bool header_fixed() const { return table->header_fixed(); }

signals:
    void header_fixed_changed(bool fixed);

private:
    void row_about_to_be_added(unsigned data_row) override;
    void row_added() override;
    void table_about_to_clear() override;
    void table_cleared() override;

    Tmeasure_table* table;
    bool resetting = false;
    mutable Tmy_string cell;
};
