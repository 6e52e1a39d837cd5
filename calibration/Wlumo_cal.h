#pragma once
#include <QMainWindow>

#include <cstdint>

class QAction;
class QComboBox;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QTimer;
class TLatest_group;
class Tlumo2_cal_master;
struct sample_table;

// The calibration window: instrument identity, the reference liquid in the
// cell, the latest reading, stored samples, the calculated calibration.
class TFlumo_cal : public QMainWindow {
    Q_OBJECT
public:
    explicit TFlumo_cal(QWidget* parent = nullptr);
    ~TFlumo_cal() override;

    QFrame* Panel1;  // the top panel
    QLineEdit* ed_SNR;
    QComboBox* cb_model;
    QComboBox* cb_configuration;
    QComboBox* cb_tracer;
    QComboBox* cb_concentration;
    QFrame* pl_connected;
    TLatest_group* GroupBox1;
    QFrame* pl_new_data;
    QPushButton* bt_store;
    QLabel* lb_reading_age;  // how old the reading "Store value" would take is

    QTabWidget* PageControl1;
    QWidget* TabSheet1;  // "Log low level"
    QPlainTextEdit* Memo1;
    QWidget* TabSheet2;  // "Stored Values"
    QTableWidget* StringGrid1;
    QWidget* TabSheet3;  // "Calibration values"
    QSplitter* Splitter1;
    QPlainTextEdit* Memo3;
    QPushButton* bt_calc;
    QPushButton* bt_save_dat;
    QPlainTextEdit* Memo4;

    QAction* LoadXML1;
    QAction* SaveasXML1;
    QAction* Editsettings1;
    QAction* Connect1;
    QAction* Start1;
    QAction* Stop1;
    QAction* Clear1;
    QMenu* PopupMenu1;
    QAction* copytoclipboard1;
    QAction* removesample1;  // the stored-values grid's menu; also the Delete key

    QFileDialog* OpenDialog1;
    QFileDialog* SaveDialog1;  // calibration XML
    QFileDialog* SaveDialog2;  // calibration text (.dat)
    QTimer* Timer1;

    static constexpr int GRID_COLUMNS = 6;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill_choices();
    void wire_actions();
    void store();
    bool told_refusal(const Tlumo2_cal_master* cal);
    bool may_store_again(uint8_t tracer, uint8_t concentration, bool* replace);
    void clear();
    void remove_selected_samples();
    void show_grid_menu(const QPoint& position);
    void save(bool dat);
    void load();
    void show_log_menu(const QPoint& position);
    // Refills StringGrid1 from the stored samples (null: empty 6 x 2 grid).
    void fill_stored_values_grid(const sample_table* table);
    static void on_stored_values_changed(const sample_table* table);
};
