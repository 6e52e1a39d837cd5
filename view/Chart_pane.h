#pragma once
#include <QColor>
#include <QList>
#include <QWidget>

#include "view/Chart_feed.h"
#include "view/Measure_table.h"

class QCheckBox;
class QCPGraph;
class QCPItemStraightLine;
class QCPItemText;
class QCPTextElement;
class QCustomPlot;
class QFileDialog;
class QPushButton;
class Tvorn_lumo;

// The view window's chart of the measurement table against time: ppb A, B, C
// and NTU, or the four lamp deltas without calibration constants. It reads
// the table's rows as they arrive; while it follows (at first and after
// "Reset view") the whole record stays in sight, until the user zooms or
// drags. The wheel zooms the time axis, Ctrl and the wheel both axes.
// Clicking a legend entry, above the plot, hides or shows its series.
// Values at the conversion's floor are marks below which the value lies;
// lines break where rows are missing. With an injection time an axis of
// hours since the injection runs along the top.
class TChart_pane : public QWidget, private Tmeasure_table_listener, private Tchart_sink {
    Q_OBJECT
public:
    explicit TChart_pane(QWidget* parent = nullptr);
    ~TChart_pane() override;

    // Starts drawing the table's rows under the constants; both outlive the pane.
    void bind(Tmeasure_table* table, const Tvorn_lumo* constants);
    // Call when constants were loaded: the series change with them.
    void constants_changed();

    // Back to following the record.
    void reset_view();
    bool following() const { return follow; }
    void set_logarithmic(bool logarithmic);
    // Writes the chart as shown: PDF for a ".pdf" name, PNG otherwise; at
    // the given size in pixels, or at the chart's own with 0.
    bool save(const QString& path, int width = 0, int height = 0);
    // The same for a report, at a fixed size (the page may be hidden), under
    // a title, the time axis widened to take in `include` (seconds since
    // 1970, UTC) when it lies outside; the view stays as shown.
    bool save_titled(const QString& path, const QString& title, double include);

    // A vertical line at a time (seconds since 1970, UTC) with its label at
    // the top of the chart; markers stay until cleared, across table clears.
    void add_marker(double time, const QString& label, const QColor& colour);
    void clear_markers();
    // The injection (seconds since 1970, UTC); undefined: none, no hours axis.
    void set_injection(double time);

    QCustomPlot* plot() const { return Chart1; }
    QCPGraph* series(int index) const;

    QCheckBox* cb_logarithmic;
    QPushButton* bt_reset_view;
    QPushButton* bt_save_chart;
    QCustomPlot* Chart1;
    QFileDialog* SaveDialog2;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void row_about_to_be_added(unsigned) override {}
    void row_added() override;
    void table_about_to_clear() override {}
    void table_cleared() override;
    void add_point(int series, double time, double value) override;
    void set_break(double time, bool broken) override;

    void set_up_plot();
    void set_up_legend();
    void add_graphs();
    void label_time_axes();
    void place_marker_labels();
    void rebuild();
    void read_new_rows();
    void schedule_update();
    void update_view();
    void fit_axes();
    void toggle_series(QCPGraph* graph);
    void choose_file();

    Tmeasure_table* table = nullptr;
    const Tvorn_lumo* constants = nullptr;
    Tchart_feed feed;
    bool follow = true;
    bool update_pending = false;
    double injection;
    QCPTextElement* floor_note = nullptr;
    struct Tmarker {
        double time;
        QCPItemStraightLine* line;
        QCPItemText* label;
    };
    QList<Tmarker> markers;
};
