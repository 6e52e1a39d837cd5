#include "view/Wlumo_view.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "app/Form_helpers.h"
#include "app/Gui.h"
#include "app/Lamp_panel.h"
#include "app/Latest_group.h"
#include "app/Lumo2_app.h"
#include "view/Chart_pane.h"
#include "view/Concentration_readout.h"
#include "view/Grid_follow.h"
#include "view/Measure_table_model.h"
#include "view/Tracer_test_pane.h"

namespace {

QCheckBox* lamp_box(QWidget* parent, const char* name, const char* caption, int x, int y)
{
    auto* box = placed(new QCheckBox(caption, parent), name, {x, y, 90, 21});
    box->setChecked(true);
    return box;
}

}  // namespace

TFlumo_view::TFlumo_view(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("Flumo_view");
    setWindowTitle("Lumo view");
    resize(819, 931);
    use_small_font(this);

    QVBoxLayout* column = client_column(this);
    Panel1 = top_panel(column, "Panel1", 297);

    bt_start = placed(new QPushButton("START", Panel1), "bt_start", {16, 16, 105, 41});
    bt_stop = placed(new QPushButton("STOP", Panel1), "bt_stop", {136, 16, 105, 41});
    lb_measuring = placed(new QLabel("Stopped", Panel1), "lb_measuring", {256, 16, 420, 41});
    lb_measuring->setWordWrap(true);

    cb_lampe_A = lamp_box(Panel1, "cb_lampe_A", "Lamp A", 16, 72);
    cb_lampe_B = lamp_box(Panel1, "cb_lampe_B", "Lamp B", 112, 72);
    cb_lampe_C = lamp_box(Panel1, "cb_lampe_C", "Lamp C", 208, 72);
    cb_lampe_T = lamp_box(Panel1, "cb_lampe_T", "Lamp T", 304, 72);

    GroupBox1 = new TLatest_group(Panel1);
    GroupBox1->setGeometry(16, 104, 560, 137);
    GroupBox1->set_value_width(64);

    bt_load_calibration =
        placed(new QPushButton("Load calibration file ... ", Panel1), "bt_load_calibration", {16, 256, 193, 29});

    pl_connected = new_lamp_panel(Panel1, "pl_connected", 776, 8, 25);
    keep_at_top_right(pl_connected, 18);
    on_lamp_click(pl_connected, "Connection to the instrument: green when connected. A click connects or disconnects.",
                  [] { dispatch_command(CMD_TOGGLE_CONNECTION); });
    lb_journal_failing = placed(new QLabel("JOURNAL", Panel1), "lb_journal_failing", {686, 10, 82, 21});
    lb_journal_failing->setAlignment(Qt::AlignCenter);
    lb_journal_failing->setStyleSheet("QLabel { color: white; background: #c00000; font-weight: bold; }");
    lb_journal_failing->hide();
    keep_at_top_right(lb_journal_failing, 18 + 25 + 8);

    Readout1 = new TConcentration_readout(column->parentWidget());
    column->addWidget(Readout1);

    Splitter1 = new QSplitter(Qt::Vertical, column->parentWidget());
    Splitter1->setObjectName("Splitter1");
    Splitter1->setHandleWidth(9);
    Splitter1->setChildrenCollapsible(false);
    column->addWidget(Splitter1, 1);

    add_pages();
    Memo1 = text_pane(Splitter1, "Memo1", 8, false);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({931 - 297 - 132, 132});

    QMenu* file = add_menu(menuBar(), "File1", "File");
    add_connection_items(file);
    save1 = add_item(file, "save1", "save");
    file->addSeparator();
    clear1 = add_item(file, "clear1", "clear");
    add_journal_item(file);

    OpenDialog1 = open_dialog(this, "OpenDialog1");
    SaveDialog1 = save_dialog(this, "SaveDialog1", {"CSV (*.csv)", "all (*.*)"}, "csv");

    connect(bt_start, &QPushButton::clicked, [] { dispatch_command(CMD_START); });
    connect(bt_stop, &QPushButton::clicked, [] { dispatch_command(CMD_STOP); });
    connect(bt_load_calibration, &QPushButton::clicked, this, &TFlumo_view::load_calibration);
    connect(save1, &QAction::triggered, this, &TFlumo_view::save_table);
    connect(clear1, &QAction::triggered, this, [this] {
        if (the_app() && may_discard_unjournalled_rows()) the_app()->view_master.table.table_clear();
    });
    bind_table();
}

TFlumo_view::~TFlumo_view()
{
    if (table_model && the_app()) the_app()->view_master.journal.set_failure_listener(nullptr);
}

// The measurement grid and the chart of the same rows, one page each.
void TFlumo_view::add_pages()
{
    PageControl1 = new QTabWidget(Splitter1);
    PageControl1->setObjectName("PageControl1");
    StringGrid1 = new QTableView;
    set_up_text_grid(StringGrid1, "StringGrid1");
    // Rows of one height: the grid need not measure weeks of rows.
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    PageControl1->addTab(StringGrid1, "Table");
    Chart_pane1 = new TChart_pane;
    PageControl1->addTab(Chart_pane1, "Chart");
    Tracer_test_pane1 = new TTracer_test_pane;
    PageControl1->addTab(Tracer_test_pane1, "Tracer test");
}

// The grid shows the view master's table, which outlives the window. It is
// bound once the application's record exists.
void TFlumo_view::bind_table()
{
    if (table_model || !the_app()) return;
    Tmeasure_table* table = &the_app()->view_master.table;
    table_model = new Tmeasure_table_model(table, this);
    StringGrid1->setModel(table_model);
    StringGrid1->setColumnWidth(1, 140);  // the whole date and time
    connect(table_model, &Tmeasure_table_model::header_fixed_changed, StringGrid1->horizontalHeader(),
            &QHeaderView::setVisible);
    follow_newest_row(StringGrid1);
    Chart_pane1->bind(table, &the_app()->view_master.constants);
    Readout1->bind(table, &the_app()->view_master.constants);
    Tracer_test_pane1->set_zone_code([] { return the_app() ? the_app()->common.ttimezone : 0; });
    Tracer_test_pane1->bind(&the_app()->tracer_test, Chart_pane1);
    the_app()->view_master.journal.set_failure_listener(
        [this](const std::string& reason) { show_journal_failure(reason); });
    table->table_clear();
}

void TFlumo_view::show_journal_failure(const std::string& reason)
{
    lb_journal_failing->setToolTip(QString::fromLocal8Bit(("The journal cannot be written: " + reason).c_str()));
    lb_journal_failing->setVisible(!reason.empty());
}

// Rows the failing journal has not taken are lost with the table's rows:
// the user decides.
bool TFlumo_view::may_discard_unjournalled_rows()
{
    const unsigned rows = the_app()->view_master.journal.rows_not_journalled();
    if (rows == 0) return true;
    QMessageBox question(QMessageBox::Question, "Lumo view",
                         QString("%1 rows of the table are not in the journal yet, which cannot be written now. "
                                 "Discard them?")
                             .arg(rows),
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setObjectName("journal_question");
    question.setDefaultButton(QMessageBox::No);
    return question.exec() == QMessageBox::Yes;
}

void TFlumo_view::load_calibration()
{
    if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty() || !the_app()) return;
    load_calibration_file(QFile::encodeName(chosen_path(OpenDialog1)).constData());
}

void TFlumo_view::load_calibration_file(const char* path)
{
    if (!the_app()) return;
    the_app()->view_master.load_calibration(path);
    Chart_pane1->constants_changed();
    Readout1->show_newest();
}

void TFlumo_view::save_table()
{
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty() || !the_app()) return;
    QByteArray path = QFile::encodeName(chosen_path(SaveDialog1));
    the_app()->view_master.table_save(path.constData());
}

// A journal left by a run that ended early is continued: its rows come
// back into the table and new rows go on into the same file.
void TFlumo_view::add_journal_item(QMenu* file)
{
    file->addSeparator();
    openjournal1 = add_item(file, "openjournal1", "Open journal...");
    JournalDialog1 = open_dialog(this, "JournalDialog1", {"CSV (*.csv)", "all (*.*)"}, "csv");
    connect(openjournal1, &QAction::triggered, this, &TFlumo_view::open_journal);
}

void TFlumo_view::open_journal()
{
    if (!the_app() || !may_discard_unjournalled_rows()) return;
    JournalDialog1->setDirectory(QFile::decodeName(the_app()->view_master.journal.folder().c_str()));
    if (JournalDialog1->exec() != QDialog::Accepted || JournalDialog1->selectedFiles().isEmpty()) return;
    continue_journal(QFile::encodeName(chosen_path(JournalDialog1)).constData());
}

bool TFlumo_view::continue_journal(const char* path)
{
    if (!the_app() || !the_app()->view_master.journal.reopen(path)) return false;
    the_app()->view_master.keep_state();
    the_app()->tracer_test.journal_changed();
    Tracer_test_pane1->show_inputs();
    return true;
}

// Settings and connection from the view itself, so that a test in progress
// need not be left to connect.
void TFlumo_view::add_connection_items(QMenu* file)
{
    settings1 = add_item(file, "settings1", "settings...");
    connect1 = add_item(file, "connect1", "connect");
    disconnect1 = add_item(file, "disconnect1", "disconnect");
    file->addSeparator();
    connect(settings1, &QAction::triggered, [] { dispatch_command(CMD_EDIT_SETTINGS); });
    connect(connect1, &QAction::triggered, [] { dispatch_command(CMD_CONNECT_ASKED); });
    connect(disconnect1, &QAction::triggered, [] { dispatch_command(CMD_DISCONNECT); });
}

// Measuring goes on while the question is open: the box runs the event loop.
bool TFlumo_view::may_stop_measuring()
{
    if (!the_app() || !the_app()->view_master.is_running()) return true;
    QMessageBox question(QMessageBox::Question, "Lumo view",
                         "Measurements are running. Stop them and close the view?",
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setObjectName("close_question");
    question.setDefaultButton(QMessageBox::No);
    return question.exec() == QMessageBox::Yes;
}

void TFlumo_view::showEvent(QShowEvent* event)
{
    bind_table();
    QMainWindow::showEvent(event);
}

void TFlumo_view::closeEvent(QCloseEvent* event)
{
    if (!may_stop_measuring()) {
        event->ignore();
        return;
    }
    event->accept();
    dispatch_command(CMD_CLOSE_VIEW);
}
