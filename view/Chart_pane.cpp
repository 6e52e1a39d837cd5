#include "view/Chart_pane.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

#include "app/Form_helpers.h"
#include "events/Lib_cpp.h"
#include "events/My_string.h"
#include "view/Chart_labels.h"
#include "view/Chart_ticks.h"
#include "view/Vorn_lumo.h"

namespace {

const QColor SERIES_COLOURS[Tchart_plan::SERIES] = {
    QColor(0, 150, 0),    // lamp A: uranine glows green
    QColor(200, 0, 60),   // lamp B
    QColor(0, 80, 200),   // lamp C
    QColor(130, 90, 40),  // lamp T: turbidity
};
const QColor HIDDEN_TEXT(160, 160, 160);
constexpr double FLOOR_MARK_PIXELS = 6.0;
constexpr int LABEL_PADDING = 3;
// Pixels a tick label of each time axis takes with the room beside it.
constexpr int DATE_TICK_PIXELS = 90;
constexpr int HOURS_TICK_PIXELS = 70;
const char* const HOURS_TITLE = "Hours since the injection";
const QString FLOOR_NOTE = QString::fromUtf8("\u25bd a value at the detection floor: the true value lies below it");

void set_ticks(QCPAxis* axis, const std::vector<Tchart_tick>& ticks)
{
    auto ticker = axis->ticker().dynamicCast<QCPAxisTickerText>();
    ticker->clear();
    for (const Tchart_tick& tick : ticks) ticker->addTick(tick.time, QString::fromLatin1(tick.label.c_str()));
}

QSharedPointer<QCPAxisTicker> value_ticker(bool logarithmic)
{
    if (logarithmic) return QSharedPointer<QCPAxisTickerLog>::create();
    return QSharedPointer<QCPAxisTicker>::create();
}

void set_scale(QCPAxis* axis, bool logarithmic)
{
    axis->setScaleType(logarithmic ? QCPAxis::stLogarithmic : QCPAxis::stLinear);
    axis->setTicker(value_ticker(logarithmic));
}

}  // namespace

TChart_pane::TChart_pane(QWidget* parent) : QWidget(parent), injection(undefined_double())
{
    setObjectName("Chart_pane");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* controls = new QHBoxLayout;
    column->addLayout(controls);
    cb_logarithmic = new QCheckBox("Logarithmic", this);
    cb_logarithmic->setObjectName("cb_logarithmic");
    bt_reset_view = new QPushButton("Reset view", this);
    bt_reset_view->setObjectName("bt_reset_view");
    bt_save_chart = new QPushButton("Save chart...", this);
    bt_save_chart->setObjectName("bt_save_chart");
    controls->addWidget(cb_logarithmic);
    controls->addWidget(bt_reset_view);
    controls->addWidget(bt_save_chart);
    controls->addStretch(1);

    Chart1 = new QCustomPlot(this);
    Chart1->setObjectName("Chart1");
    column->addWidget(Chart1, 1);
    set_up_plot();

    SaveDialog2 = save_dialog(this, "SaveDialog2", {"PNG (*.png)", "PDF (*.pdf)"}, "png");
    connect(SaveDialog2, &QFileDialog::filterSelected, SaveDialog2, [this](const QString& filter) {
        SaveDialog2->setDefaultSuffix(filter.startsWith("PDF") ? "pdf" : "png");
    });

    connect(cb_logarithmic, &QCheckBox::toggled, this, &TChart_pane::set_logarithmic);
    connect(bt_reset_view, &QPushButton::clicked, this, &TChart_pane::reset_view);
    connect(bt_save_chart, &QPushButton::clicked, this, &TChart_pane::choose_file);
    rebuild();
}

TChart_pane::~TChart_pane()
{
    if (table) table->remove_listener(this);
}

void TChart_pane::set_up_plot()
{
    for (QCPAxis* time_axis : {Chart1->xAxis, Chart1->xAxis2}) {
        auto ticker = QSharedPointer<QCPAxisTickerText>::create();
        ticker->setSubTickCount(0);
        time_axis->setTicker(ticker);
    }
    Chart1->xAxis->setLabel(CHART_TIME_TITLE);
    Chart1->xAxis2->setLabel(HOURS_TITLE);
    Chart1->yAxis2->setVisible(true);
    add_graphs();
    set_up_legend();
    Chart1->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    Chart1->setNoAntialiasingOnDrag(true);
    QCPAxisRect* rect = Chart1->axisRect();
    rect->setRangeDragAxes({Chart1->xAxis}, {Chart1->yAxis, Chart1->yAxis2});
    rect->setRangeZoomAxes({Chart1->xAxis}, {Chart1->yAxis, Chart1->yAxis2});

    connect(Chart1, &QCustomPlot::legendClick, this, [this](QCPLegend*, QCPAbstractLegendItem* item, QMouseEvent*) {
        if (auto* entry = qobject_cast<QCPPlottableLegendItem*>(item))
            toggle_series(qobject_cast<QCPGraph*>(entry->plottable()));
    });
    // Zooming or dragging by hand ends following until "Reset view". The
    // wheel zooms time alone: a breakthrough is read along its time.
    connect(Chart1, &QCustomPlot::mouseWheel, this, [this, rect](QWheelEvent* event) {
        follow = false;
        const bool both = event->modifiers() & Qt::ControlModifier;
        rect->setRangeZoom(both ? Qt::Horizontal | Qt::Vertical : Qt::Horizontal);
    });
    connect(Chart1, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) {
        if (event->buttons() != Qt::NoButton) follow = false;
    });
    // Ticks before the layout, which makes room for their labels; marker
    // labels after it, in the plot's new pixels.
    connect(Chart1, &QCustomPlot::beforeReplot, this, &TChart_pane::label_time_axes);
    connect(Chart1, &QCustomPlot::afterLayout, this, &TChart_pane::place_marker_labels);
}

// A line per lamp, then per lamp the marks of its values at the floor.
void TChart_pane::add_graphs()
{
    for (int s = 0; s < Tchart_plan::DRAWN_SERIES; ++s) {
        const int lamp = s % Tchart_plan::SERIES;
        QCPAxis* value_axis = lamp == Tchart_plan::RIGHT_AXIS_SERIES ? Chart1->yAxis2 : Chart1->yAxis;
        QCPGraph* graph = Chart1->addGraph(Chart1->xAxis, value_axis);
        // A pen of one pixel: a wider one makes Qt stroke the outline of
        // every thinned-out segment, ten times slower over a month of rows.
        graph->setPen(QPen(SERIES_COLOURS[lamp], 1.0));
        if (s < Tchart_plan::FLOOR_SERIES) continue;
        graph->setLineStyle(QCPGraph::lsNone);
        graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssTriangleInverted, FLOOR_MARK_PIXELS));
        graph->removeFromLegend();
    }
}

// The legend in a row of its own above the plot, so that it never covers
// the curves.
void TChart_pane::set_up_legend()
{
    QCPLegend* legend = Chart1->legend;
    legend->setVisible(true);
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setBorderPen(Qt::NoPen);
    legend->setMargins(QMargins(4, 2, 4, 2));
    Chart1->axisRect()->insetLayout()->take(legend);
    Chart1->axisRect()->insetLayout()->simplify();
    auto* rows = new QCPLayoutGrid;
    rows->setRowSpacing(0);
    Chart1->plotLayout()->insertRow(0);
    Chart1->plotLayout()->addElement(0, 0, rows);
    Chart1->plotLayout()->setRowStretchFactor(0, 0.001);
    rows->addElement(0, 0, legend);
    // What the marks at the floor mean, below the legend of the lines.
    floor_note = new QCPTextElement(Chart1, "");
    floor_note->setTextColor(HIDDEN_TEXT.darker(150));
    rows->addElement(1, 0, floor_note);
}

void TChart_pane::bind(Tmeasure_table* measure_table, const Tvorn_lumo* calibration)
{
    if (table) table->remove_listener(this);
    table = measure_table;
    constants = calibration;
    if (table) table->add_listener(this);
    rebuild();
    schedule_update();
}

void TChart_pane::constants_changed() { update_view(); }

QCPGraph* TChart_pane::series(int index) const { return Chart1->graph(index); }

// Draws every row again under the current constants and scale.
void TChart_pane::rebuild()
{
    static const Tvorn_lumo no_constants;
    feed.reset(chart_plan(constants ? *constants : no_constants), cb_logarithmic->isChecked());
    const Tchart_plan& plan = feed.plan();
    // New stores: cleared ones would keep the memory of the old rows.
    for (int s = 0; s < Tchart_plan::DRAWN_SERIES; ++s)
        series(s)->setData(QSharedPointer<QCPGraphDataContainer>::create());
    for (int s = 0; s < Tchart_plan::SERIES; ++s) series(s)->setName(QString::fromLatin1(plan.name[s].c_str()));
    floor_note->setText(plan.concentrations ? FLOOR_NOTE : "");
    Chart1->yAxis->setLabel(QString::fromLatin1(plan.left_title.c_str()));
    Chart1->yAxis2->setLabel(QString::fromLatin1(plan.right_title.c_str()));
    read_new_rows();
}

// Takes every row the table has and the chart has not: one after a single
// add, all of them after a load.
void TChart_pane::read_new_rows()
{
    if (!table) return;
    if (table->data_rows() < feed.rows()) {
        rebuild();
        return;
    }
    for (unsigned row = feed.rows(); row < table->data_rows(); ++row) feed.add(table->row(row), this);
}

void TChart_pane::add_point(int index, double time, double value) { series(index)->addData(time, value); }

// A break is a gap point between two rows; taken back, only that point goes.
void TChart_pane::set_break(double time, bool broken)
{
    for (int s = 0; s < Tchart_plan::SERIES; ++s) {
        QSharedPointer<QCPGraphDataContainer> data = series(s)->data();
        if (broken) {
            if (!data->isEmpty()) data->add(QCPGraphData(time, std::nan("")));
            continue;
        }
        auto point = data->findBegin(time, false);
        if (point != data->constEnd() && point->key == time && std::isnan(point->value)) data->remove(time);
    }
}

void TChart_pane::row_added()
{
    read_new_rows();
    schedule_update();
}

void TChart_pane::table_cleared()
{
    rebuild();
    schedule_update();
}

// Rows come one at a time or by the thousand; the axes and the drawing
// follow once the burst is over.
void TChart_pane::schedule_update()
{
    if (update_pending) return;
    update_pending = true;
    QTimer::singleShot(0, this, &TChart_pane::update_view);
}

void TChart_pane::update_view()
{
    update_pending = false;
    if (constants && !(chart_plan(*constants) == feed.plan())) rebuild();
    if (follow) fit_axes();
    // A hidden chart is drawn when it is shown.
    if (isVisible()) Chart1->replot();
}

void TChart_pane::fit_axes()
{
    // The injection stays in sight with the rows: the hours count from it.
    Tchart_extent times = feed.times();
    if (!is_undefined_double(injection)) times.include(injection);
    const Tchart_range time = follow_time_range(times);
    Chart1->xAxis->setRange(time.lower, time.upper);
    Tchart_extent left;
    for (int s = 0; s < Tchart_plan::SERIES; ++s)
        if (s != Tchart_plan::RIGHT_AXIS_SERIES && series(s)->visible()) left.include(feed.values(s));
    Tchart_extent right;
    if (series(Tchart_plan::RIGHT_AXIS_SERIES)->visible()) right = feed.values(Tchart_plan::RIGHT_AXIS_SERIES);
    const Tchart_range left_range = follow_value_range(left, feed.logarithmic());
    const Tchart_range right_range = follow_value_range(right, false);
    Chart1->yAxis->setRange(left_range.lower, left_range.upper);
    Chart1->yAxis2->setRange(right_range.lower, right_range.upper);
}

void TChart_pane::reset_view()
{
    follow = true;
    update_view();
}

void TChart_pane::set_logarithmic(bool logarithmic)
{
    // The box's signal comes back here.
    if (cb_logarithmic->isChecked() != logarithmic) {
        cb_logarithmic->setChecked(logarithmic);
        return;
    }
    // Concentrations span decades; turbidity keeps its linear axis.
    set_scale(Chart1->yAxis, logarithmic);
    rebuild();
    update_view();
}

void TChart_pane::toggle_series(QCPGraph* graph)
{
    if (!graph) return;
    graph->setVisible(!graph->visible());
    for (int s = 0; s < Tchart_plan::SERIES; ++s)
        if (series(s) == graph) series(Tchart_plan::FLOOR_SERIES + s)->setVisible(graph->visible());
    if (QCPPlottableLegendItem* entry = Chart1->legend->itemWithPlottable(graph))
        entry->setTextColor(graph->visible() ? QColor(Qt::black) : HIDDEN_TEXT);
    update_view();
}

bool TChart_pane::save(const QString& path, int width, int height)
{
    if (update_pending) update_view();
    // A hidden chart has not been drawn: its axes are labelled here.
    label_time_axes();
    place_marker_labels();
    const QByteArray name = QFile::encodeName(path);
    const bool saved = chart_file_is_pdf(name.constData()) ? Chart1->savePdf(path, width, height)
                                                           : Chart1->savePng(path, width, height);
    if (!saved) log_printf("ERROR : unable to write \"%s\"", name.constData());
    return saved;
}

bool TChart_pane::save_titled(const QString& path, const QString& title, double include)
{
    constexpr double TITLED_TIME_MARGIN = 0.02;  // of the span, either side
    constexpr int REPORT_WIDTH = 1200, REPORT_HEIGHT = 700;
    if (update_pending) update_view();
    auto* heading = new QCPTextElement(Chart1, title, QFont(font().family(), 11, QFont::Bold));
    Chart1->plotLayout()->insertRow(0);
    Chart1->plotLayout()->addElement(0, 0, heading);
    const QCPRange shown = Chart1->xAxis->range();
    if (!is_undefined_double(include) && !shown.contains(include)) {
        const double lower = std::min(shown.lower, include), upper = std::max(shown.upper, include);
        const double margin = (upper - lower) * TITLED_TIME_MARGIN;
        Chart1->xAxis->setRange(lower - margin, upper + margin);
    }
    const bool saved = save(path, REPORT_WIDTH, REPORT_HEIGHT);
    Chart1->xAxis->setRange(shown);
    Chart1->plotLayout()->remove(heading);
    Chart1->plotLayout()->simplify();
    if (isVisible()) Chart1->replot();
    return saved;
}

void TChart_pane::choose_file()
{
    if (SaveDialog2->exec() != QDialog::Accepted || SaveDialog2->selectedFiles().isEmpty()) return;
    save(chosen_path(SaveDialog2));
}

void TChart_pane::add_marker(double time, const QString& label, const QColor& colour)
{
    auto* line = new QCPItemStraightLine(Chart1);
    for (QCPItemPosition* end : {line->point1, line->point2}) end->setTypeY(QCPItemPosition::ptAxisRectRatio);
    line->point1->setCoords(time, 0.0);
    line->point2->setCoords(time, 1.0);
    line->setPen(QPen(colour, 1.0, Qt::DashLine));
    auto* text = new QCPItemText(Chart1);
    text->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    text->position->setCoords(time, 0.0);
    text->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setColor(colour);
    text->setText(label);
    markers.append({time, line, text});
    schedule_update();
}

void TChart_pane::set_injection(double time)
{
    injection = time;
    Chart1->xAxis2->setVisible(!is_undefined_double(time));
    schedule_update();
}

void TChart_pane::label_time_axes()
{
    const QCPRange range = Chart1->xAxis->range();
    // A chart never drawn has no plot width yet: the widget's stands in.
    const int width = Chart1->axisRect()->width() > 0 ? Chart1->axisRect()->width() : Chart1->width();
    set_ticks(Chart1->xAxis, date_ticks(range.lower, range.upper, std::max(1, width / DATE_TICK_PIXELS)));
    Chart1->xAxis2->setRange(range);
    if (Chart1->xAxis2->visible())
        set_ticks(Chart1->xAxis2,
                  hours_ticks(range.lower, range.upper, injection, std::max(1, width / HOURS_TICK_PIXELS)));
}

// Each label beside its line, inside the plot; crowded labels one below
// the other.
void TChart_pane::place_marker_labels()
{
    std::vector<Tlabel_box> boxes;
    for (const Tmarker& marker : markers) {
        const double width =
            QFontMetricsF(marker.label->font()).horizontalAdvance(marker.label->text()) + 2 * LABEL_PADDING;
        boxes.push_back({Chart1->xAxis->coordToPixel(marker.time), width});
    }
    const QRect rect = Chart1->axisRect()->rect();
    const std::vector<Tlabel_place> places = ::place_marker_labels(boxes, rect.left(), rect.right());
    for (qsizetype m = 0; m < markers.size(); ++m) {
        const Tlabel_place& place = places[size_t(m)];
        QCPItemText* label = markers[m].label;
        label->setVisible(place.shown);
        const int line_height = QFontMetrics(label->font()).height() + LABEL_PADDING;
        label->position->setCoords(Chart1->xAxis->pixelToCoord(place.left), 0.0);
        // The rows down from the top: the padding above the text.
        label->setPadding(
            QMargins(LABEL_PADDING, LABEL_PADDING + place.row * line_height, LABEL_PADDING, LABEL_PADDING));
    }
}

void TChart_pane::clear_markers()
{
    for (const Tmarker& marker : markers) {
        Chart1->removeItem(marker.line);
        Chart1->removeItem(marker.label);
    }
    markers.clear();
    schedule_update();
}

void TChart_pane::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    update_view();
}
