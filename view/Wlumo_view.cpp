#include "view/Wlumo_view.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "app/Gui.h"
#include "app/Lamp_panel.h"
#include "app/Lumo2_app.h"
#include "view/Measure_table_model.h"

namespace {

QLabel* value_label(QWidget* parent, const char* name)
{
    auto* label = new QLabel("---", parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(64);
    return label;
}

QCheckBox* lamp_box(QWidget* parent, const char* name, const char* caption, int x, int y)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setChecked(true);
    box->setGeometry(x, y, 90, 21);
    return box;
}

}  // namespace

TFlumo_view::TFlumo_view(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("Flumo_view");
    setWindowTitle("Lumo view");
    resize(819, 931);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(client);

    Panel1 = new QFrame(client);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(297);
    Panel1->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(Panel1);

    bt_start = new QPushButton("START", Panel1);
    bt_start->setObjectName("bt_start");
    bt_start->setGeometry(16, 16, 105, 41);
    bt_stop = new QPushButton("STOP", Panel1);
    bt_stop->setObjectName("bt_stop");
    bt_stop->setGeometry(136, 16, 105, 41);

    cb_lampe_A = lamp_box(Panel1, "cb_lampe_A", "Lamp A", 16, 72);
    cb_lampe_B = lamp_box(Panel1, "cb_lampe_B", "Lamp B", 112, 72);
    cb_lampe_C = lamp_box(Panel1, "cb_lampe_C", "Lamp C", 208, 72);
    cb_lampe_T = lamp_box(Panel1, "cb_lampe_T", "Lamp T", 304, 72);

    GroupBox1 = new QGroupBox("Latest", Panel1);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(16, 104, 560, 137);
    auto* grid = new QGridLayout(GroupBox1);
    const char* columns[] = {"Lamp A", "Lamp B", "Lamp C", "Lamp T", "Vbat", "T°"};
    for (int c = 0; c < 6; c++) {
        auto* caption = new QLabel(QString::fromUtf8(columns[c]), GroupBox1);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(caption, 0, c + 1);
    }
    const char* rows[] = {"On", "Off", "Delta"};
    for (int r = 0; r < 3; r++) grid->addWidget(new QLabel(rows[r], GroupBox1), r + 1, 0);
    QLabel** lamps[4][3] = {{&lb_lampA_on, &lb_lampA_off, &lb_lampA_delta},
                            {&lb_lampB_on, &lb_lampB_off, &lb_lampB_delta},
                            {&lb_lampC_on, &lb_lampC_off, &lb_lampC_delta},
                            {&lb_lampT_on, &lb_lampT_off, &lb_lampT_delta}};
    const char* names[4][3] = {{"lb_lampA_on", "lb_lampA_off", "lb_lampA_delta"},
                               {"lb_lampB_on", "lb_lampB_off", "lb_lampB_delta"},
                               {"lb_lampC_on", "lb_lampC_off", "lb_lampC_delta"},
                               {"lb_lampT_on", "lb_lampT_off", "lb_lampT_delta"}};
    for (int lamp = 0; lamp < 4; lamp++)
        for (int row = 0; row < 3; row++) {
            *lamps[lamp][row] = value_label(GroupBox1, names[lamp][row]);
            grid->addWidget(*lamps[lamp][row], row + 1, lamp + 1);
        }
    lb_vbat = value_label(GroupBox1, "lb_vbat");
    grid->addWidget(lb_vbat, 1, 5);
    lb_temp = value_label(GroupBox1, "lb_temp");
    grid->addWidget(lb_temp, 1, 6);

    bt_load_calibration = new QPushButton("Load calibration file ... ", Panel1);
    bt_load_calibration->setObjectName("bt_load_calibration");
    bt_load_calibration->setGeometry(16, 256, 193, 29);

    pl_connected = new_lamp_panel(Panel1, "pl_connected", 776, 8, 25);

    Splitter1 = new QSplitter(Qt::Vertical, client);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setHandleWidth(9);
    Splitter1->setChildrenCollapsible(false);
    layout->addWidget(Splitter1, 1);

    StringGrid1 = new QTableView(Splitter1);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    // Rows of one height: the grid need not measure weeks of rows.
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(20);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);

    Memo1 = new QPlainTextEdit(Splitter1);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(8);
    Memo1->setFont(fixed);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({931 - 297 - 132, 132});

    QMenu* file = menuBar()->addMenu("File");
    file->setObjectName("File1");
    save1 = file->addAction("save");
    save1->setObjectName("save1");
    file->addSeparator();
    clear1 = file->addAction("clear");
    clear1->setObjectName("clear1");

    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName("OpenDialog1");
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setObjectName("SaveDialog1");
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setNameFilters({"CSV (*.csv)", "all (*.*)"});
    SaveDialog1->setDefaultSuffix("csv");

    connect(bt_start, &QPushButton::clicked, [] { dispatch_command(CMD_START); });
    connect(bt_stop, &QPushButton::clicked, [] { dispatch_command(CMD_STOP); });
    connect(bt_load_calibration, &QPushButton::clicked, this, &TFlumo_view::load_calibration);
    connect(save1, &QAction::triggered, this, &TFlumo_view::save_table);
    connect(clear1, &QAction::triggered, [] {
        if (the_app()) the_app()->view_master.table.table_clear();
    });
    bind_table();
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
    table->table_clear();
}

void TFlumo_view::load_calibration()
{
    if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty() || !the_app()) return;
    QByteArray path = QFile::encodeName(OpenDialog1->selectedFiles().first());
    the_app()->view_master.load_calibration(path.constData());
}

void TFlumo_view::save_table()
{
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty() || !the_app()) return;
    QByteArray path = QFile::encodeName(SaveDialog1->selectedFiles().first());
    the_app()->view_master.table_save(path.constData());
}

void TFlumo_view::showEvent(QShowEvent* event)
{
    bind_table();
    QMainWindow::showEvent(event);
}

void TFlumo_view::closeEvent(QCloseEvent* event)
{
    event->accept();
    dispatch_command(CMD_CLOSE_VIEW);
}
