#pragma once
#include <QMainWindow>

class QAction;
class QCheckBox;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTableView;
class Tmeasure_table_model;

// The live view window: START/STOP, the lamps to measure, the latest
// reading, the measurement table and the log of view mode.
class TFlumo_view : public QMainWindow {
    Q_OBJECT
public:
    explicit TFlumo_view(QWidget* parent = nullptr);

    QFrame* Panel1;  // the top panel
    QPushButton* bt_start;
    QPushButton* bt_stop;
    QCheckBox* cb_lampe_A;
    QCheckBox* cb_lampe_B;
    QCheckBox* cb_lampe_C;
    QCheckBox* cb_lampe_T;
    QGroupBox* GroupBox1;  // "Latest"
    QLabel* lb_lampA_on;
    QLabel* lb_lampA_off;
    QLabel* lb_lampA_delta;
    QLabel* lb_lampB_on;
    QLabel* lb_lampB_off;
    QLabel* lb_lampB_delta;
    QLabel* lb_lampC_on;
    QLabel* lb_lampC_off;
    QLabel* lb_lampC_delta;
    QLabel* lb_lampT_on;
    QLabel* lb_lampT_off;
    QLabel* lb_lampT_delta;
    QLabel* lb_vbat;
    QLabel* lb_temp;
    QPushButton* bt_load_calibration;
    QFrame* pl_connected;
    QSplitter* Splitter1;
    QTableView* StringGrid1;
    QPlainTextEdit* Memo1;
    QAction* save1;
    QAction* clear1;
    QFileDialog* OpenDialog1;
    QFileDialog* SaveDialog1;

    static constexpr int TABLE_COLUMNS = 12;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void bind_table();
    void load_calibration();
    void save_table();

    Tmeasure_table_model* table_model = nullptr;
};
