#include "view/Measure_table_model.h"

Tmeasure_table_model::Tmeasure_table_model(Tmeasure_table* table, QObject* parent)
    : QAbstractTableModel(parent), table(table) {
    table->add_listener(this);
}

Tmeasure_table_model::~Tmeasure_table_model() { table->remove_listener(this); }

int Tmeasure_table_model::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return table->header_fixed() ? static_cast<int>(table->data_rows()) : 1;
}

int Tmeasure_table_model::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Tmeasure_table::COLUMNS;
}

QVariant Tmeasure_table_model::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    if (!table->header_fixed()) return QString::fromLatin1(Tmeasure_table::header(index.column()));
    table->cell_text(static_cast<unsigned>(index.row()), index.column(), &cell);
    return QString::fromLatin1(cell.c_str(), static_cast<int>(cell.length()));
}

QVariant Tmeasure_table_model::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return QString::fromLatin1(Tmeasure_table::header(section));
}

// The first measurement turns the header row into the fixed header: the
// row count stays 1 but every cell changes, so the model is reset.
void Tmeasure_table_model::row_about_to_be_added(unsigned data_row) {
    resetting = data_row == 0;
    if (resetting)
        beginResetModel();
    else
        beginInsertRows(QModelIndex(), static_cast<int>(data_row), static_cast<int>(data_row));
}

void Tmeasure_table_model::row_added() {
    if (!resetting) {
        endInsertRows();
        return;
    }
    endResetModel();
    emit header_fixed_changed(true);
}

void Tmeasure_table_model::table_about_to_clear() { beginResetModel(); }

void Tmeasure_table_model::table_cleared() {
    endResetModel();
    emit header_fixed_changed(table->header_fixed());
}
