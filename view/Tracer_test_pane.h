#pragma once
#include <QWidget>

#include <functional>
#include <map>
#include <string>

class QFileDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class TChart_pane;
class Ttracer_test;

// The view window's "Tracer test" page: the test's inputs, its answers per
// tracer lamp as rows arrive, and the injection, first arrivals and peaks
// marked on the chart. The test's logic, parsing and texts are the core's
// (Ttracer_test); the page shows them.
class TTracer_test_pane : public QWidget {
    Q_OBJECT
public:
    explicit TTracer_test_pane(QWidget* parent = nullptr);
    ~TTracer_test_pane() override;

    // Shows the test and marks the chart; both outlive the page.
    void bind(Ttracer_test* test, TChart_pane* chart);
    // The settings' display time-zone code ("ttimezone"), asked whenever the
    // injection is shown or read: the injection field is in that zone.
    void set_zone_code(std::function<int()> code) { zone_code = std::move(code); }
    // The edits show the test's inputs again (after they came from a file).
    void show_inputs();

    // One edit per input, named "ed_" and the input's name ("ed_mass_A").
    std::map<std::string, QLineEdit*> edits;
    QPushButton* bt_discharge_file;
    QPushButton* bt_apply;
    QPushButton* bt_load_inputs;
    QPushButton* bt_save_inputs;
    QPushButton* bt_save_report;
    QLabel* lb_message;
    QLabel* lb_injection;      // the injection field's caption, naming its time zone
    QLabel* lb_injection_utc;  // the injection in UTC
    QTableWidget* StringGrid2;  // the figures, one column per lamp
    QPlainTextEdit* Memo2;      // why figures are provisional or not available
    QFileDialog* OpenDialog3;   // inputs file
    QFileDialog* SaveDialog3;   // inputs file
    QFileDialog* OpenDialog4;   // discharge file
    QFileDialog* OpenDialog5;   // report folder

private:
    QWidget* inputs_form();
    void apply();
    void show_results();
    void mark_chart();
    void load_inputs();
    void save_inputs();
    void choose_discharge_file();
    void save_report();
    void tell(const QString& message, bool fault);

    Ttracer_test* test = nullptr;
    TChart_pane* chart = nullptr;
    std::function<int()> zone_code;
};
