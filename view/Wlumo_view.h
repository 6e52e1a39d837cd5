#pragma once
#include <string>

#include <QMainWindow>

class QAction;
class QCheckBox;
class QFileDialog;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableView;
class TChart_pane;
class TConcentration_readout;
class TLatest_group;
class TTracer_test_pane;
class Tmeasure_table_model;

// The live view window: START/STOP, the lamps to measure, the latest
// reading, the measurement table and the log of view mode.
class TFlumo_view : public QMainWindow {
    Q_OBJECT
public:
    explicit TFlumo_view(QWidget* parent = nullptr);
    ~TFlumo_view() override;

    QFrame* Panel1;  // the top panel
    QPushButton* bt_start;
    QPushButton* bt_stop;
    QCheckBox* cb_lampe_A;
    QCheckBox* cb_lampe_B;
    QCheckBox* cb_lampe_C;
    QCheckBox* cb_lampe_T;
    TLatest_group* GroupBox1;
    QPushButton* bt_load_calibration;
    QFrame* pl_connected;
    // Measuring or stopped, and the time of the last row.
    QLabel* lb_measuring;
    // Shown while the journal cannot be written, the reason as its tip.
    QLabel* lb_journal_failing;
    TConcentration_readout* Readout1;  // the newest concentrations, large
    QSplitter* Splitter1;
    QTabWidget* PageControl1;  // "Table", "Chart" and "Tracer test"
    QTableView* StringGrid1;
    TChart_pane* Chart_pane1;
    TTracer_test_pane* Tracer_test_pane1;
    QPlainTextEdit* Memo1;
    QAction* save1;
    QAction* clear1;
    QAction* openjournal1;
    QAction* settings1;
    QAction* connect1;
    QAction* disconnect1;
    QFileDialog* OpenDialog1;
    QFileDialog* SaveDialog1;
    QFileDialog* JournalDialog1;

    static constexpr int TABLE_COLUMNS = 12;

    // What "Load calibration file ... " does once a file is chosen.
    void load_calibration_file(const char* path);
    // What "Open journal..." does once a journal is chosen; false when it
    // cannot be continued (the log says why).
    bool continue_journal(const char* path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void add_pages();
    void bind_table();
    void load_calibration();
    void save_table();
    void add_journal_item(QMenu* file);
    void add_connection_items(QMenu* file);
    bool may_stop_measuring();
    void open_journal();
    void show_journal_failure(const std::string& reason);
    bool may_discard_unjournalled_rows();

    Tmeasure_table_model* table_model = nullptr;
};
