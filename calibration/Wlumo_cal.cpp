#include "calibration/Wlumo_cal.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

#include "app/Form_helpers.h"
#include "app/Gui.h"
#include "app/Lamp_panel.h"
#include "app/Latest_group.h"
#include "app/Lumo2_app.h"
#include "calibration/Sample_table.h"
#include "calibration/Stored_values.h"
#include "events/Lib_cpp.h"
#include "view/Codes.h"

namespace {

QComboBox* choice(QWidget* parent, const char* name, const char* caption, const char* placeholder, int y)
{
    auto* label = new QLabel(caption, parent);
    label->setGeometry(8, y + 3, 132, 17);
    auto* combo = placed(new QComboBox(parent), name, {140, y, 214, 25});
    combo->setPlaceholderText(placeholder);
    return combo;
}

QWidget* page(QTabWidget* tabs, const char* name, const char* caption)
{
    auto* sheet = new QWidget(tabs);
    sheet->setObjectName(name);
    tabs->addTab(sheet, caption);
    return sheet;
}

// The window whose grid shows the stored samples.
TFlumo_cal* grid_window = nullptr;

// Items carry their code; nothing is selected at first.
void fill_codes(QComboBox* combo, const char* (*name_of)(unsigned char), int count)
{
    for (int code = 1; code <= count; ++code)
        combo->addItem(QString::fromUtf8(name_of(static_cast<unsigned char>(code))), code);
    combo->setCurrentIndex(-1);
}

// The code of the selected item, 0 without a selection.
uint8_t selected_code(const QComboBox* combo)
{
    return combo->currentIndex() < 0 ? 0 : static_cast<uint8_t>(combo->currentData().toInt());
}

Tlumo2_cal_master* master()
{
    Tlumo2_app* app = the_app();
    return app ? &app->cal_master : nullptr;
}

}  // namespace

TFlumo_cal::TFlumo_cal(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("Flumo_cal");
    setWindowTitle("LUMO CAL");
    resize(687, 849);
    use_small_font(this);

    QVBoxLayout* column = client_column(this);
    Panel1 = top_panel(column, "Panel1", 209);

    auto* serial_label = new QLabel("Sensor Serial Number", Panel1);
    serial_label->setGeometry(8, 11, 150, 17);
    ed_SNR = placed(new QLineEdit("1", Panel1), "ed_SNR", {140, 8, 120, 25});
    cb_model = choice(Panel1, "cb_model", "Sensor Model", "-- select model --", 38);
    cb_configuration = choice(Panel1, "cb_configuration", "Sensor configuration", "-- select config --", 68);
    cb_tracer = choice(Panel1, "cb_tracer", "Current Tracer", "-- select tracer currently used --", 98);
    cb_concentration = choice(Panel1, "cb_concentration", "Current Concentration", "-- select --", 128);

    pl_connected = new_lamp_panel(Panel1, "pl_connected", 652, 8, 25);

    GroupBox1 = new TLatest_group(Panel1);
    GroupBox1->setGeometry(362, 38, 317, 165);
    GroupBox1->pack_tightly();

    pl_new_data = new_lamp_panel(Panel1, "pl_new_data", 8, 166, 33);
    bt_store = placed(new QPushButton("Store value", Panel1), "bt_store", {140, 166, 214, 33});
    bt_store->setEnabled(false);
    lb_reading_age = placed(new QLabel("no reading", Panel1), "lb_reading_age", {44, 166, 94, 33});
    lb_reading_age->setWordWrap(true);

    PageControl1 = new QTabWidget(column->parentWidget());
    PageControl1->setObjectName("PageControl1");
    column->addWidget(PageControl1, 1);

    TabSheet1 = page(PageControl1, "TabSheet1", "Log low level");
    Memo1 = text_pane(TabSheet1, "Memo1", 9, false);
    (new QVBoxLayout(TabSheet1))->addWidget(Memo1);

    TabSheet2 = page(PageControl1, "TabSheet2", "Stored Values");
    StringGrid1 = new QTableWidget(2, GRID_COLUMNS, TabSheet2);
    set_up_text_grid(StringGrid1, "StringGrid1");
    StringGrid1->horizontalHeader()->setDefaultSectionSize(110);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    (new QVBoxLayout(TabSheet2))->addWidget(StringGrid1);

    TabSheet3 = page(PageControl1, "TabSheet3", "Calibration values");
    Splitter1 = new QSplitter(Qt::Vertical, TabSheet3);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setChildrenCollapsible(false);
    (new QVBoxLayout(TabSheet3))->addWidget(Splitter1);
    auto* upper = new QWidget(Splitter1);
    auto* upper_layout = new QHBoxLayout(upper);
    upper_layout->setContentsMargins(0, 0, 0, 0);
    Memo3 = text_pane(upper, "Memo3", 9, false);
    upper_layout->addWidget(Memo3, 1);
    auto* buttons = new QVBoxLayout;
    bt_calc = new QPushButton("Calc Calibration", upper);
    bt_calc->setObjectName("bt_calc");
    bt_save_dat = new QPushButton("Save .dat file", upper);
    bt_save_dat->setObjectName("bt_save_dat");
    buttons->addWidget(bt_calc);
    buttons->addWidget(bt_save_dat);
    buttons->addStretch(1);
    upper_layout->addLayout(buttons);
    Memo4 = text_pane(Splitter1, "Memo4", 0, true);
    Splitter1->setStretchFactor(0, 3);
    Splitter1->setStretchFactor(1, 1);
    PageControl1->setCurrentWidget(TabSheet2);

    QMenu* file = add_menu(menuBar(), "File1", "File");
    LoadXML1 = add_item(file, "LoadXML1", "Load XML...");
    SaveasXML1 = add_item(file, "SaveasXML1", "Save as XML...");
    QMenu* edit = add_menu(menuBar(), "Edit1", "Edit");
    Editsettings1 = add_item(edit, "Editsettings1", "Edit settings...");
    QMenu* communication = add_menu(menuBar(), "Communication1", "Communication");
    Connect1 = add_item(communication, "Connect1", "Connect");
    QMenu* measures = add_menu(menuBar(), "Measures1", "Measures");
    Start1 = add_item(measures, "Start1", "Start");
    Stop1 = add_item(measures, "Stop1", "Stop");
    measures->addSeparator();
    Clear1 = add_item(measures, "Clear1", "Clear");

    // Attached to no control; kept for whoever offers the low-level log's copy.
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    copytoclipboard1 = add_item(PopupMenu1, "copytoclipboard1", "copy to clipboard");
    removesample1 = new QAction("Remove sample", this);
    removesample1->setObjectName("removesample1");
    // Shown in the menu; the grid itself handles the key.
    removesample1->setShortcut(QKeySequence::Delete);
    removesample1->setShortcutContext(Qt::WidgetShortcut);
    removesample1->setShortcutVisibleInContextMenu(true);

    OpenDialog1 = open_dialog(this, "OpenDialog1", {"XML file (*.xml)", "All files (*.*)"}, "xml");
    SaveDialog1 = save_dialog(this, "SaveDialog1", {"XML file (*.xml)", "All files (*.*)"}, "xml");
    SaveDialog2 = save_dialog(this, "SaveDialog2", {"DAT file (*.dat)", "All files (*.*)"}, "dat");

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, [] { new_data_timer_tick(); });
    Timer1->start();

    connect(Start1, &QAction::triggered, [] { dispatch_command(CMD_START); });
    connect(Stop1, &QAction::triggered, [] { dispatch_command(CMD_STOP); });
    connect(Clear1, &QAction::triggered, this, &TFlumo_cal::clear);
    connect(Editsettings1, &QAction::triggered, [] { dispatch_command(CMD_EDIT_SETTINGS); });
    connect(Connect1, &QAction::triggered, [] { dispatch_command(CMD_CONNECT); });
    connect(bt_calc, &QPushButton::clicked, [] { dispatch_command(CMD_CALC_CALIBRATION); });

    fill_choices();
    wire_actions();
    grid_window = this;
    set_stored_values_observer(on_stored_values_changed);
}

TFlumo_cal::~TFlumo_cal()
{
    if (grid_window != this) return;
    grid_window = nullptr;
    set_stored_values_observer(nullptr);
}

void TFlumo_cal::fill_choices()
{
    static const char* const TRACERS[] = {
        "water with turbidity", "optic I   - Uranine",        "optic I   - Eosine",
        "optic II  - Sulforhodamine B", "optic III - Amino G acide", "optic V   - Naphtionate",
    };
    fill_codes(cb_model, model_name, MODEL_CODE_COUNT);
    for (int code = 1; code <= TRACER_CODE_COUNT; ++code) cb_tracer->addItem(TRACERS[code - 1], code);
    cb_tracer->setCurrentIndex(-1);
    fill_codes(cb_concentration, concentration_name, CONCENTRATION_CODE_COUNT);
    fill_codes(cb_configuration, configuration_name, CONFIGURATION_CODE_COUNT);
}

void TFlumo_cal::wire_actions()
{
    connect(bt_store, &QPushButton::clicked, this, &TFlumo_cal::store);
    connect(bt_save_dat, &QPushButton::clicked, this, [this] { save(true); });
    connect(SaveasXML1, &QAction::triggered, this, [this] { save(false); });
    connect(LoadXML1, &QAction::triggered, this, &TFlumo_cal::load);
    connect(copytoclipboard1, &QAction::triggered, this,
            [this] { QApplication::clipboard()->setText(Memo1->toPlainText()); });
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &QWidget::customContextMenuRequested, this, &TFlumo_cal::show_log_menu);
    connect(removesample1, &QAction::triggered, this, &TFlumo_cal::remove_selected_samples);
    StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StringGrid1, &QWidget::customContextMenuRequested, this, &TFlumo_cal::show_grid_menu);
    StringGrid1->installEventFilter(this);
}

void TFlumo_cal::store()
{
    Tlumo2_cal_master* cal = master();
    if (!cal) return;
    const uint8_t concentration = selected_code(cb_concentration);
    const uint8_t tracer = selected_code(cb_tracer);
    cal->read_serial_from_display();
    cal->read_model_from_display();
    cal->read_configuration_from_display();
    if (told_refusal(cal)) return;
    bool replace = false;
    if (!may_store_again(tracer, concentration, &replace)) return;
    // The reading may have grown old while the question was open.
    if (!cal->store_sample(tracer, concentration,
                           replace ? Tlumo2_cal_master::Tstore::replace : Tlumo2_cal_master::Tstore::add))
        told_refusal(cal);
}

// Whether the reading cannot be stored, the user told why.
bool TFlumo_cal::told_refusal(const Tlumo2_cal_master* cal)
{
    const std::string refusal = cal->store_refusal();
    if (refusal.empty()) return false;
    QMessageBox refused(QMessageBox::Warning, windowTitle(), QString::fromUtf8(refusal.c_str()), QMessageBox::Ok, this);
    refused.setObjectName("store_refused");
    refused.exec();
    return true;
}

// A standard stored before: the user says whether this reading replaces
// it or joins it (the calculation averages a standard's samples).
bool TFlumo_cal::may_store_again(uint8_t tracer, uint8_t concentration, bool* replace)
{
    const int stored = master()->stored_count(tracer, concentration);
    if (stored == 0) return true;
    QMessageBox question(QMessageBox::Question, windowTitle(),
                         QString("%1 at %2 is stored already (%3). Replace it with this reading, or add this "
                                 "reading beside it? The calculation averages the samples of a standard.")
                             .arg(tracer_name(tracer), concentration_name(concentration),
                                  stored == 1 ? QString("1 sample") : QString("%1 samples").arg(stored)),
                         QMessageBox::Cancel, this);
    question.setObjectName("standard_question");
    QPushButton* replace_button = question.addButton("Replace", QMessageBox::DestructiveRole);
    replace_button->setObjectName("bt_replace");
    QPushButton* add_button = question.addButton("Add", QMessageBox::AcceptRole);
    add_button->setObjectName("bt_add");
    question.setDefaultButton(QMessageBox::Cancel);
    question.exec();
    *replace = question.clickedButton() == replace_button;
    return *replace || question.clickedButton() == add_button;
}

// Stored samples are lost to a clear unless saved: the user confirms.
void TFlumo_cal::clear()
{
    Tlumo2_cal_master* cal = master();
    Tlist samples;
    const int stored = cal ? sample_table_collect(cal->samples(), &samples) : 0;
    if (stored > 0) {
        QMessageBox question(QMessageBox::Question, windowTitle(),
                             QString("Clear the %1 stored samples? Those not saved as XML are lost.").arg(stored),
                             QMessageBox::Yes | QMessageBox::No, this);
        question.setObjectName("clear_question");
        question.setDefaultButton(QMessageBox::No);
        if (question.exec() != QMessageBox::Yes) return;
    }
    dispatch_command(CMD_CLEAR);
}

// The grid's first row is its header; the samples follow in table order.
void TFlumo_cal::remove_selected_samples()
{
    Tlumo2_cal_master* cal = master();
    if (!cal) return;
    QList<int> rows;
    for (const QModelIndex& index : StringGrid1->selectionModel()->selectedRows())
        if (index.row() > 0) rows << index.row();
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int row : rows) cal->remove_sample(row - 1);
}

void TFlumo_cal::show_grid_menu(const QPoint& position)
{
    const int row = StringGrid1->rowAt(position.y());
    if (row < 1 || !StringGrid1->item(row, 0)) return;
    if (!StringGrid1->selectionModel()->isRowSelected(row, QModelIndex())) StringGrid1->selectRow(row);
    QMenu menu(this);
    menu.addAction(removesample1);
    menu.exec(StringGrid1->viewport()->mapToGlobal(position));
}

bool TFlumo_cal::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == StringGrid1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Delete)) {
        remove_selected_samples();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFlumo_cal::save(bool dat)
{
    Tlumo2_cal_master* cal = master();
    if (!cal) return;
    cal->read_serial_from_display();
    cal->read_model_from_display();
    cal->read_configuration_from_display();
    Tmy_string proposed;
    cal->default_file_name(&proposed, dat);
    QFileDialog* dialog = dat ? SaveDialog2 : SaveDialog1;
    // The filter first: choosing it afterwards would rewrite the name's suffix.
    dialog->selectNameFilter(dialog->nameFilters().first());
    Tmy_string folder;
    cal->proposed_folder(&folder);
    dialog->setDirectory(QString::fromUtf8(folder.c_str()));
    char part[256];
    file_name_of(part, sizeof part, proposed.c_str());
    dialog->selectFile(QString::fromUtf8(part));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
    const QByteArray path = QFile::encodeName(chosen_path(dialog));
    if (dat) cal->save_dat(path.constData());
    else cal->save_xml(path.constData());
}

void TFlumo_cal::load()
{
    Tlumo2_cal_master* cal = master();
    if (!cal || OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty()) return;
    cal->load_xml(QFile::encodeName(chosen_path(OpenDialog1)).constData());
}

// The pane's own menu with "copy to clipboard" below it.
void TFlumo_cal::show_log_menu(const QPoint& position)
{
    QMenu* menu = Memo1->createStandardContextMenu();
    menu->addSeparator();
    menu->addAction(copytoclipboard1);
    menu->exec(Memo1->mapToGlobal(position));
    delete menu;
}

void TFlumo_cal::fill_stored_values_grid(const sample_table* table)
{
    StringGrid1->setColumnCount(GRID_COLUMNS);
    StringGrid1->setRowCount(2);
    if (!table) return;
    const std::vector<Tstored_values_row> rows = stored_values_rows(table);
    StringGrid1->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row)
        for (int column = 0; column < GRID_COLUMNS; ++column)
            StringGrid1->setItem(row, column, new QTableWidgetItem(QString::fromUtf8(rows[row][column].c_str())));
}

void TFlumo_cal::on_stored_values_changed(const sample_table* table)
{
    if (grid_window) grid_window->fill_stored_values_grid(table);
}

void TFlumo_cal::closeEvent(QCloseEvent* event)
{
    event->accept();
    dispatch_command(CMD_CLOSE_CALIBRATION);
}
