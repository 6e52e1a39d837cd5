#include <gtest/gtest.h>

#include <QScrollBar>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QMouseEvent>
#include <QTabWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTimer>
#include <QWheelEvent>
#include <QFontMetricsF>
#include <qcustomplot.h>

#include <algorithm>
#include <fstream>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/Gui.h"
#include "analysis/Analysis_text.h"
#include "analysis/Tracer_analysis.h"
#include "app/Lumo2_app.h"
#include "events/Lib_cpp.h"
#include "link/Lumo_data.h"
#include "support/Fake_ui.h"
#include "support/Message_box.h"
#include "support/Temp_dir.h"
#include "support/Test_platform.h"
#include "view/Chart_pane.h"
#include "view/Legacy_calibration.h"
#include "view/Tracer_test_pane.h"
#include "view/Wlumo_view.h"

namespace {

// The real view window over the logic in view mode; what the logic shows
// goes to the recording windows.
class View_window : public testing::Test {
protected:
    View_window()
    {
        set_the_app(&app);
        set_log_sink(log_append);
        bridge_state().current_mode = MODE_VIEW;
        view = new TFlumo_view;
    }
    ~View_window() override
    {
        delete view;
        set_log_sink(nullptr);
        set_the_app(nullptr);
    }

    // Clicks with the dialog answered from inside its modal loop.
    void with_dialog(QFileDialog* dialog, std::function<void()> answer, std::function<void()> click)
    {
        QTimer::singleShot(0, dialog, [dialog, answer] {
            if (dialog->isVisible()) answer();
        });
        click();
    }

    void add_measurement(float delta_a)
    {
        Tlumo_measure m;
        m.timestamp = 1607337600;
        m.delta[LAMP_A] = delta_a;
        app.view_master.table.table_add(&m);
    }

    void add_row(int32_t time, float delta_a, float delta_b, float ppb_a = undefined_float())
    {
        Tlumo_measure m;
        m.timestamp = time;
        m.delta[LAMP_A] = delta_a;
        m.delta[LAMP_B] = delta_b;
        m.ppb_a = ppb_a;
        app.view_master.table.table_add(&m);
    }

    void load_constants()
    {
        dir.write("constants.txt", Tlegacy_calibration().text());
        const QString constants = QString::fromStdString(dir.file("constants.txt"));
        with_dialog(
            view->OpenDialog1,
            [this, constants] {
                view->OpenDialog1->selectFile(constants);
                static_cast<QDialog*>(view->OpenDialog1)->accept();
            },
            [this] { view->bt_load_calibration->click(); });
    }

    // The view window's chart, drawn as the user sees it.
    TChart_pane* show_chart()
    {
        view->show();
        view->PageControl1->setCurrentWidget(view->Chart_pane1);
        QCoreApplication::processEvents();
        view->Chart_pane1->plot()->replot();
        return view->Chart_pane1;
    }

    const std::vector<std::string>& log() { return ui.lines(WIN_VIEW, "Memo1"); }

    Tlumo2_app app;
    Tfake_ui ui;
    Ttemp_dir dir;
    TFlumo_view* view;
};

TEST_F(View_window, StartAndStopReachTheMaster)
{
    view->bt_start->click();
    EXPECT_TRUE(app.view_master.is_running());
    view->bt_stop->click();
    EXPECT_FALSE(app.view_master.is_running());
    EXPECT_EQ(log().back(), "OnStop");
}

TEST_F(View_window, CancelledDialogsChangeNothing)
{
    add_measurement(1.5f);
    with_dialog(view->OpenDialog1, [this] { view->OpenDialog1->reject(); }, [this] { view->bt_load_calibration->click(); });
    with_dialog(view->SaveDialog1, [this] { view->SaveDialog1->reject(); }, [this] { view->save1->trigger(); });
    EXPECT_TRUE(log().empty());
    EXPECT_EQ(app.view_master.constants.valid, 0);
    EXPECT_EQ(app.view_master.table.data_rows(), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path));
}

TEST_F(View_window, ChosenFilesAreLoadedAndSaved)
{
    load_constants();
    EXPECT_EQ(app.view_master.constants.valid, 1);
    ASSERT_FALSE(log().empty());
    EXPECT_EQ(log()[0], "Loading calibration file " + dir.file("constants.txt"));

    add_measurement(1.5f);
    const QString table = QString::fromStdString(dir.file("table"));
    with_dialog(
        view->SaveDialog1,
        [this, table] {
            view->SaveDialog1->selectFile(table);
            static_cast<QDialog*>(view->SaveDialog1)->accept();
        },
        [this] { view->save1->trigger(); });
    EXPECT_EQ(dir.read("table.csv").rfind("Timestamp;Date;GMT;", 0), 0u);
}

TEST_F(View_window, GridShowsTheHeaderRowThenTheMeasurements)
{
    QAbstractItemModel* model = view->StringGrid1->model();
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->columnCount(), 12);
    EXPECT_EQ(model->index(0, 3).data().toString(), "delta A");
    EXPECT_TRUE(view->StringGrid1->horizontalHeader()->isHidden());

    add_measurement(12.345f);
    add_measurement(-1.0f);
    EXPECT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(0, 3).data().toString(), "12.345");
    EXPECT_EQ(model->index(1, 3).data().toString(), "-1.000");
    EXPECT_EQ(model->index(1, 4).data().toString(), "-");
    EXPECT_EQ(model->headerData(11, Qt::Horizontal).toString(), "NTU");
    EXPECT_FALSE(view->StringGrid1->horizontalHeader()->isHidden());

    view->clear1->trigger();
    EXPECT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, 0).data().toString(), "Timestamp");
    EXPECT_TRUE(view->StringGrid1->horizontalHeader()->isHidden());
}

// "Open journal..." comes last in the File menu, opens in the journal
// folder and puts the journal's rows into the grid.
TEST_F(View_window, OpenedJournalFillsTheGridAndGoesOn)
{
    QMenu* file = view->findChild<QMenu*>("File1");
    ASSERT_NE(file, nullptr);
    const QList<QAction*> items = file->actions();
    ASSERT_EQ(items.size(), 9);
    EXPECT_TRUE(items[7]->isSeparator());
    EXPECT_EQ(items[8], view->openjournal1);
    EXPECT_EQ(view->openjournal1->objectName(), "openjournal1");
    EXPECT_EQ(view->openjournal1->text(), "Open journal...");

    app.view_master.journal.start(dir.path);
    add_measurement(1.5f);
    add_measurement(2.5f);
    const std::string journal = app.view_master.journal.current_path();
    view->clear1->trigger();
    QString opened_in;
    with_dialog(
        view->JournalDialog1,
        [this, journal, &opened_in] {
            opened_in = view->JournalDialog1->directory().absolutePath();
            view->JournalDialog1->selectFile(QString::fromStdString(journal));
            static_cast<QDialog*>(view->JournalDialog1)->accept();
        },
        [this] { view->openjournal1->trigger(); });
    EXPECT_EQ(QDir::toNativeSeparators(opened_in).toStdString(), dir.path);
    QAbstractItemModel* model = view->StringGrid1->model();
    EXPECT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(1, 3).data().toString(), "2.500");
    EXPECT_FALSE(view->StringGrid1->horizontalHeader()->isHidden());
    add_measurement(3.5f);
    std::string text;
    app.view_master.table.table_text(&text);
    // The same file, though reopened under the name the dialog gave.
    EXPECT_TRUE(std::filesystem::equivalent(app.view_master.journal.current_path(), journal));
    std::ifstream in(journal, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
}

// The question asked before rows the journal missed are discarded, answered
// from inside its modal loop.
void answer_journal_question(QMessageBox::StandardButton answer)
{
    answer_message_box("journal_question", answer);
}

// A journal that cannot be written is shown beside the connection lamp,
// the reason as its tip; clearing the rows it missed asks first.
TEST_F(View_window, FailingJournalIsShownAndClearingItsRowsAsks)
{
    dir.write("plain", "x");
    app.view_master.journal.start(dir.file("plain/journal"));
    EXPECT_TRUE(view->lb_journal_failing->isHidden());
    add_measurement(1.5f);
    EXPECT_FALSE(view->lb_journal_failing->isHidden());
    EXPECT_EQ(view->lb_journal_failing->toolTip().toStdString().rfind("The journal cannot be written: ", 0), 0u);

    answer_journal_question(QMessageBox::No);
    view->clear1->trigger();
    EXPECT_EQ(app.view_master.table.data_rows(), 1u);
    answer_journal_question(QMessageBox::Yes);
    view->clear1->trigger();
    EXPECT_EQ(app.view_master.table.data_rows(), 0u);
    EXPECT_TRUE(view->lb_journal_failing->isHidden());
}

TEST_F(View_window, ConnectionLampStaysInTheTopRightCorner)
{
    view->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->pl_connected->geometry(), QRect(776, 8, 25, 25));
    view->resize(1100, 931);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->pl_connected->geometry(), QRect(1100 - 18 - 25, 8, 25, 25));
}

// The chart's points: time and value, NaN for a gap.
using Tpoints = std::vector<std::pair<double, double>>;

Tpoints points_of(const QCPGraph* graph)
{
    Tpoints points;
    for (const QCPGraphData& point : *graph->data()) points.push_back({point.key, point.value});
    return points;
}

// NaN never equals itself: gaps are compared as a marker value.
Tpoints gaps_marked(Tpoints points)
{
    for (auto& point : points)
        if (std::isnan(point.second)) point.second = -999;
    return points;
}

TEST_F(View_window, ChartDrawsTheTableRowsWithGapsAndIsClearedWithIt)
{
    const float none = undefined_float();
    add_row(1000, 1.5f, none);
    add_row(1010, none, 2.0f);
    add_row(1020, none, 3.0f);
    add_row(1030, 4.0f, none);
    const Tpoints lamp_a = {{1000, 1.5}, {1010, -999}, {1030, 4.0}};
    const Tpoints lamp_b = {{1010, 2.0}, {1020, 3.0}, {1030, -999}};
    TChart_pane* chart = view->Chart_pane1;
    EXPECT_EQ(gaps_marked(points_of(chart->series(0))), lamp_a);
    EXPECT_EQ(gaps_marked(points_of(chart->series(1))), lamp_b);
    EXPECT_TRUE(chart->series(2)->data()->isEmpty());

    // A chart bound to a table already full reads every row at once.
    TChart_pane late;
    late.bind(&app.view_master.table, &app.view_master.constants);
    EXPECT_EQ(gaps_marked(points_of(late.series(0))), lamp_a);
    EXPECT_EQ(gaps_marked(points_of(late.series(1))), lamp_b);

    view->clear1->trigger();
    for (int s = 0; s < Tchart_plan::SERIES; ++s) {
        EXPECT_TRUE(chart->series(s)->data()->isEmpty()) << s;
        EXPECT_TRUE(late.series(s)->data()->isEmpty()) << s;
    }
    add_row(2000, 5.0f, none);
    EXPECT_EQ(points_of(chart->series(0)), Tpoints({{2000, 5.0}}));
}

// The program was killed for 89 s: the line stops at the last row before
// and starts again at the first row after.
TEST_F(View_window, ChartLineIsBrokenAtAGap)
{
    for (int32_t t = 1000; t <= 1100; t += 10) add_row(t, 1.0f + float(t - 1000) / 10, 2.0f);
    for (int32_t t = 1189; t <= 1250; t += 10) add_row(t, 20.0f, 2.0f);
    for (int lamp : {0, 1}) {
        const Tpoints points = points_of(view->Chart_pane1->series(lamp));
        const auto after = std::find_if(points.begin(), points.end(), [](const auto& p) { return p.first == 1189; });
        ASSERT_NE(after, points.end());
        ASSERT_GE(after - points.begin(), 2);
        EXPECT_TRUE(std::isnan((after - 1)->second)) << lamp;
        EXPECT_GT((after - 1)->first, 1100);
        EXPECT_EQ((after - 2)->first, 1100);
        EXPECT_EQ(std::count_if(points.begin(), points.end(), [](const auto& p) { return std::isnan(p.second); }), 1);
    }
    // The chart drawn again from the table breaks at the same place.
    TChart_pane late;
    late.bind(&app.view_master.table, &app.view_master.constants);
    EXPECT_EQ(gaps_marked(points_of(late.series(0))), gaps_marked(points_of(view->Chart_pane1->series(0))));
}

TEST_F(View_window, ChartWheelZoomsTimeAndLogarithmicIsForConcentrations)
{
    for (int32_t t = 1000; t <= 2000; t += 10) add_row(t, 1.0f + float(t % 70), 2.0f);
    TChart_pane* chart = show_chart();
    QCustomPlot* plot = chart->plot();
    // The legend stands above the plot, off the curves.
    EXPECT_FALSE(plot->legend->outerRect().intersects(plot->axisRect()->rect()));
    const auto wheel = [plot](Qt::KeyboardModifiers modifiers) {
        const QPointF centre = QRectF(plot->axisRect()->rect()).center();
        QWheelEvent event(centre, plot->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(plot, &event);
    };
    const QCPRange time = plot->xAxis->range(), values = plot->yAxis->range();
    wheel(Qt::NoModifier);
    EXPECT_LT(plot->xAxis->range().size(), time.size());
    EXPECT_EQ(plot->yAxis->range(), values);
    EXPECT_FALSE(chart->following());
    wheel(Qt::ControlModifier);
    EXPECT_LT(plot->yAxis->range().size(), values.size());

    chart->cb_logarithmic->setChecked(true);
    EXPECT_EQ(plot->yAxis->scaleType(), QCPAxis::stLogarithmic);
    EXPECT_EQ(plot->yAxis2->scaleType(), QCPAxis::stLinear);
}

TEST_F(View_window, MarkerLabelsStayInsideThePlot)
{
    add_row(1000, 1.0f, 1.0f);
    add_row(2000, 2.0f, 1.0f);
    TChart_pane* chart = show_chart();
    chart->add_marker(1990, "A peak at the very end", Qt::red);
    chart->add_marker(1010, "Injection", Qt::black);
    chart->add_marker(1012, "A first arrival", Qt::blue);
    chart->plot()->replot();
    const QRect inside = chart->plot()->axisRect()->rect();
    QList<QRect> seen;
    for (int i = 0; i < chart->plot()->itemCount(); ++i) {
        auto* label = qobject_cast<QCPItemText*>(chart->plot()->item(i));
        if (!label) continue;
        const QPointF anchor = label->position->pixelPosition();
        const QSizeF size = QFontMetricsF(label->font()).size(0, label->text());
        const double left = anchor.x();
        EXPECT_GE(left, inside.left()) << label->text().toStdString();
        EXPECT_LE(left + size.width(), inside.right()) << label->text().toStdString();
        const QRect box(QPoint(int(left), int(anchor.y()) + label->padding().top()), size.toSize());
        for (const QRect& other : seen) EXPECT_FALSE(box.intersects(other)) << label->text().toStdString();
        seen.append(box);
    }
    EXPECT_EQ(seen.size(), 3);
    // With an injection the hours since it run along the top.
    EXPECT_FALSE(chart->plot()->xAxis2->visible());
    chart->set_injection(1010);
    chart->plot()->replot();
    EXPECT_TRUE(chart->plot()->xAxis2->visible());
    EXPECT_EQ(chart->plot()->xAxis2->range(), chart->plot()->xAxis->range());
}

TEST_F(View_window, ReadoutShowsTheNewestConcentrationsAndTheGridFollows)
{
    EXPECT_EQ(view->findChild<QLabel*>("lb_readout_A")->text(), "---");
    load_constants();
    add_row(1000, 1.0f, 1.0f, 0.0105f);
    EXPECT_EQ(view->findChild<QLabel*>("lb_readout_A_caption")->text(), "ppb A (Uranine)");
    EXPECT_EQ(view->findChild<QLabel*>("lb_readout_A")->text(), "< 0.0105");
    add_row(1010, 1.0f, 1.0f, 12.5f);
    EXPECT_EQ(view->findChild<QLabel*>("lb_readout_A")->text(), "12.500");
    EXPECT_EQ(view->findChild<QLabel*>("lb_readout_B")->text(), "---");

    view->show();
    QCoreApplication::processEvents();
    QScrollBar* bar = view->StringGrid1->verticalScrollBar();
    for (int32_t t = 1020; t < 1020 + 10 * 200; t += 10) add_row(t, 1.0f, 1.0f, 1.0f);
    QCoreApplication::processEvents();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    // Scrolled up, the grid stays where the user put it.
    bar->setValue(bar->maximum() / 2);
    const int kept = bar->value();
    add_row(9000, 1.0f, 1.0f, 1.0f);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), kept);
    bar->setValue(bar->maximum());
    add_row(9010, 1.0f, 1.0f, 1.0f);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(View_window, ChartShowsDeltasUntilConstantsAreLoaded)
{
    TChart_pane* chart = view->Chart_pane1;
    add_row(1000, 1.5f, 2.5f, 7.0f);
    EXPECT_EQ(chart->series(0)->name(), "delta A");
    EXPECT_EQ(chart->series(3)->name(), "delta T");
    EXPECT_TRUE(chart->plot()->yAxis->label().contains("no calibration constants"));
    EXPECT_EQ(points_of(chart->series(0)), Tpoints({{1000, 1.5}}));

    load_constants();
    ASSERT_EQ(app.view_master.constants.valid, 1);
    EXPECT_EQ(chart->series(0)->name(), "ppb A (Uranine)");
    EXPECT_EQ(chart->series(1)->name(), "ppb B (SulforhodamineB)");
    EXPECT_EQ(chart->series(3)->name(), "NTU");
    EXPECT_EQ(chart->plot()->yAxis->label(), "Concentration (ppb)");
    // The earlier row is drawn again as concentrations.
    EXPECT_EQ(points_of(chart->series(0)), Tpoints({{1000, 7.0}}));
    EXPECT_TRUE(chart->series(1)->data()->isEmpty());
}

TEST_F(View_window, ClickingALegendEntryHidesAndShowsItsSeries)
{
    add_row(1000, 1.5f, 2.5f);
    add_row(1010, 2.5f, 3.5f);
    TChart_pane* chart = show_chart();
    QCPGraph* lamp_b = chart->series(1);
    const QPointF entry = QRectF(chart->plot()->legend->itemWithPlottable(lamp_b)->rect()).center();
    auto click = [&] {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, entry, chart->plot()->mapToGlobal(entry), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(chart->plot(), &event);
        }
    };
    click();
    EXPECT_FALSE(lamp_b->visible());
    EXPECT_TRUE(chart->series(0)->visible());
    EXPECT_TRUE(chart->following());
    click();
    EXPECT_TRUE(lamp_b->visible());
}

TEST_F(View_window, SaveChartWritesAPng)
{
    add_row(1000, 1.5f, 2.5f);
    add_row(1010, 2.5f, 3.5f);
    TChart_pane* chart = show_chart();
    const QString path = QString::fromStdString(dir.file("curve"));
    with_dialog(
        chart->SaveDialog2,
        [chart, path] {
            chart->SaveDialog2->selectFile(path);
            static_cast<QDialog*>(chart->SaveDialog2)->accept();
        },
        [chart] { chart->bt_save_chart->click(); });
    const std::string png = dir.read("curve.png");
    ASSERT_GT(png.size(), 1000u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
}

TEST_F(View_window, ClosingStopsAcquisitionAndShowsTheMainWindow)
{
    view->show();
    view->bt_start->click();
    answer_message_box("close_question", QMessageBox::Yes);
    view->close();
    EXPECT_FALSE(app.view_master.is_running());
    EXPECT_TRUE(ui.window(WIN_MAIN).visible);
    EXPECT_FALSE(ui.window(WIN_VIEW).visible);
    EXPECT_EQ(bridge_state().current_mode, MODE_VIEW);
}

// Closing while measuring asks; "No" keeps the window and the measuring.
// The line beside START and STOP says what goes on.
TEST_F(View_window, ClosingWhileMeasuringAsksAndNoKeepsMeasuring)
{
    view->show();
    view->bt_start->click();
    const std::string& state = ui.text(WIN_VIEW, "lb_measuring");
    EXPECT_EQ(state, "Measuring, a row every 10 s. NOT CONNECTED: File > connect");
    answer_message_box("close_question", QMessageBox::No);
    view->close();
    EXPECT_TRUE(app.view_master.is_running());
    EXPECT_TRUE(view->isVisible());
    EXPECT_FALSE(ui.window(WIN_MAIN).visible);

    view->bt_stop->click();
    EXPECT_EQ(state, "Stopped");
    add_measurement(1.5f);
    app.view_master.on_data(0, reinterpret_cast<const unsigned char*>("x\r\n"), 3);
    EXPECT_EQ(state.rfind("Stopped, last row ", 0), 0u) << state;
    EXPECT_EQ(state.substr(state.size() - 4), " UTC") << state;
    // Stopped: no question.
    answer_message_box("close_question", QMessageBox::No);
    view->close();
    EXPECT_FALSE(view->isVisible());
    EXPECT_TRUE(ui.window(WIN_MAIN).visible);
}

// The view's own ways to the settings and the link, before the table's items.
TEST_F(View_window, FileMenuOpensSettingsAndConnects)
{
    QMenu* file = view->findChild<QMenu*>("File1");
    ASSERT_NE(file, nullptr);
    const QList<QAction*> items = file->actions();
    ASSERT_GE(items.size(), 4);
    EXPECT_EQ(items[0]->text(), "settings...");
    EXPECT_EQ(items[1]->text(), "connect");
    EXPECT_EQ(items[2]->text(), "disconnect");
    EXPECT_TRUE(items[3]->isSeparator());

    view->settings1->trigger();
    EXPECT_EQ(ui.window(WIN_SETTINGS).modal_count, 1);
    view->connect1->trigger();
    EXPECT_EQ(log().back(), "No COM port chosen: choose the instrument's port in File > \"settings...\", then connect");
}

// A pulse on lamp A, one row a minute: 0.1 ppb before the injection at
// 1000 s, the dye from 1300 s to 1900 s with its peak at 1480 s.
void add_pulse(const std::function<void(int32_t, float)>& add)
{
    const float pulse[] = {1, 4, 9, 12, 10, 7, 4, 2, 1, 0.5f};
    for (int i = -5; i < 21; ++i) {
        const float dye = i >= 5 && i < 15 ? pulse[i - 5] : 0.0f;
        add(1000 + 60 * i, 0.1f + dye + (i % 2 ? 0.002f : -0.002f));
    }
}

TEST_F(View_window, TracerTestFollowsTheRowsAndMarksTheChart)
{
    TTracer_test_pane* page = view->Tracer_test_pane1;
    EXPECT_EQ(page->StringGrid2->columnCount(), 0);
    page->edits["injection"]->setText("1000");
    page->edits["mass_A"]->setText("2.5");
    page->edits["discharge"]->setText("100");
    page->edits["distance"]->setText("-5");
    page->bt_apply->click();
    EXPECT_NE(page->lb_message->text().toStdString().find("distance must be above 0 m"), std::string::npos);
    EXPECT_EQ(page->StringGrid2->columnCount(), 0);

    page->edits["distance"]->setText("600");
    page->bt_apply->click();
    EXPECT_EQ(page->lb_message->text(), "Applied.");
    EXPECT_EQ(page->edits["injection"]->text(), "01.01.1970 00:16:40");  // as the inputs file keeps it
    add_pulse([this](int32_t time, float ppb) { add_row(time, 1.0f, 1.0f, ppb); });
    ASSERT_EQ(page->StringGrid2->columnCount(), 1);
    const auto row = [page](Tresult result) {
        for (int line = 0; line < page->StringGrid2->rowCount(); ++line)
            if (page->StringGrid2->verticalHeaderItem(line)->text() == result_label(result)) return line;
        ADD_FAILURE() << result_label(result);
        return 0;
    };
    const auto cell = [page, row](Tresult result) { return page->StringGrid2->item(row(result), 0)->text().toStdString(); };
    EXPECT_EQ(cell(RESULT_FIRST_ARRIVAL), "300.0");
    EXPECT_EQ(cell(RESULT_PEAK_TIME), "480.0");
    EXPECT_EQ(cell(RESULT_VELOCITY_FIRST), "2.000\n(7200 m/h)");
    // The pulse carries 3030 ppb s, at 100 L/s 0.303 g.
    EXPECT_NEAR(std::stod(cell(RESULT_MASS)), 0.303, 0.002);
    // Injection, first arrival and peak: a line and a label each.
    EXPECT_EQ(view->Chart_pane1->plot()->itemCount(), 6);

    // Rows still coming: the peak has passed, the curve is not back.
    view->clear1->trigger();
    add_pulse([this](int32_t time, float ppb) {
        if (time < 1800) add_row(time, 1.0f, 1.0f, ppb);
    });
    EXPECT_EQ(cell(RESULT_MASS).back(), '*');
    EXPECT_NE(page->StringGrid2->item(row(RESULT_MASS), 0)->toolTip().toStdString().find("not come back to background"),
              std::string::npos);
    const std::string why = page->Memo2->toPlainText().toStdString();
    EXPECT_NE(why.find("\nLamp A: recovered mass, recovery, mean residence time, variance, mean velocity, "
                       "dispersion, dispersivity and Peclet number are provisional (the curve has not come back to "
                       "background"),
              std::string::npos)
        << why;
}

// Three lamps with figures fit beside the labels at the window's size.
TEST_F(View_window, TracerTestFiguresOfThreeLampsAreNotCutOff)
{
    std::string why_not;
    if (!text_widths_known(&why_not)) GTEST_SKIP() << why_not;
    TTracer_test_pane* page = view->Tracer_test_pane1;
    view->show();
    view->PageControl1->setCurrentWidget(page);
    page->edits["injection"]->setText("1000");
    page->edits["discharge"]->setText("100");
    page->edits["distance"]->setText("0.3");
    for (const char* mass : {"mass_A", "mass_B", "mass_C"}) page->edits[mass]->setText("0.25");
    page->bt_apply->click();
    add_pulse([this](int32_t time, float ppb) {
        Tlumo_measure m;
        m.timestamp = time;
        m.ppb_a = m.ppb_b = m.ppb_c = ppb * 0.987654f;
        app.view_master.table.table_add(&m);
    });
    QApplication::processEvents();
    QTableWidget* grid = page->StringGrid2;
    ASSERT_EQ(grid->columnCount(), 3);
    int width = grid->verticalHeader()->width();
    for (int column = 0; column < grid->columnCount(); ++column) width += grid->columnWidth(column);
    EXPECT_LE(width, grid->viewport()->width() + grid->verticalHeader()->width());
    EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
}

// The injection is typed and shown in the settings' display time zone, with
// its UTC time beside it; the test keeps UTC.
TEST_F(View_window, TracerTestInjectionIsInTheDisplayTimeZone)
{
    TTracer_test_pane* page = view->Tracer_test_pane1;
    int zone = 101;  // "Europe CET"
    page->set_zone_code([&zone] { return zone; });
    page->edits["injection"]->setText("08.12.2026 11:00");
    page->edits["discharge"]->setText("100");
    page->bt_apply->click();
    EXPECT_EQ(page->lb_message->text(), "Applied.");
    EXPECT_EQ(app.tracer_test.inputs().injection_utc, 1796724000);  // 10:00 UTC
    EXPECT_EQ(page->lb_injection->text(), "Injection (Europe CET)");
    EXPECT_EQ(page->edits["injection"]->text(), "08.12.2026 11:00:00");
    EXPECT_EQ(page->lb_injection_utc->text(), "UTC 08.12.2026 10:00:00");
    page->edits["injection"]->setText("2026-07-08 12:00");  // summer time: UTC+2
    page->bt_apply->click();
    EXPECT_EQ(app.tracer_test.inputs().injection_utc, 1783504800);
    page->edits["injection"]->setText("29.03.2026 02:30");  // skipped by the clocks
    page->bt_apply->click();
    EXPECT_NE(page->lb_message->text().toStdString().find("injection: \"29.03.2026 02:30\" is skipped"),
              std::string::npos);
    zone = 2;  // "UTC+2"
    page->show_inputs();
    EXPECT_EQ(page->lb_injection->text(), "Injection (UTC+2)");
    EXPECT_EQ(page->edits["injection"]->text(), "08.07.2026 12:00:00");
}

TEST_F(View_window, TracerTestReportAndInputsGoToChosenFiles)
{
    TTracer_test_pane* page = view->Tracer_test_pane1;
    dir.write("q.csv", "1000;100\r\n3000;100\r\n");
    page->edits["injection"]->setText("01.01.1970 00:16:40");
    page->edits["discharge_file"]->setText(QString::fromStdString(dir.file("q.csv")));
    page->edits["site"]->setText("Spring S1");
    page->bt_apply->click();
    load_constants();
    add_pulse([this](int32_t time, float ppb) { add_row(time, 1.0f, 1.0f, ppb); });
    const int chart_rows = view->Chart_pane1->plot()->plotLayout()->rowCount();
    QApplication::processEvents();  // the chart takes the rows in
    const QCPRange chart_times = view->Chart_pane1->plot()->xAxis->range();
    const auto choose = [this](QFileDialog* dialog, const std::string& path, QPushButton* button) {
        with_dialog(
            dialog,
            [dialog, path] {
                dialog->selectFile(QString::fromStdString(path));
                static_cast<QDialog*>(dialog)->accept();
            },
            [button] { button->click(); });
    };
    std::filesystem::create_directory(dir.file("report"));
    choose(page->OpenDialog5, dir.file("report"), page->bt_save_report);
    EXPECT_EQ(page->lb_message->text().toStdString(), "Report saved in " + dir.file("report") + ".");
    EXPECT_EQ(dir.read("report/results.csv").substr(0, 19), "lamp;background_ppb");
    // The people's results name what they come from and every input.
    const std::string results = dir.read("report/results.txt");
    for (const std::string& line : std::vector<std::string>{
             "Tracer test at Spring S1, injection 01.01.1970 00:16:40 UTC\n",
             "\nTable: the view window's table (no journal)\nConstants: " + dir.file("constants.txt") + "\n",
             "\nDischarge file: " + dir.file("q.csv") + "\n", "\nSite: Spring S1\n", "\nFirst arrival (s)"})
        EXPECT_NE(results.find(line), std::string::npos) << line << "\n" << results;
    EXPECT_EQ(dir.read("report/chart.png").substr(1, 3), "PNG");
    // The title is the report's: the chart on the page is left as it was.
    EXPECT_EQ(view->Chart_pane1->plot()->plotLayout()->rowCount(), chart_rows);
    EXPECT_EQ(view->Chart_pane1->plot()->xAxis->range(), chart_times);
    const std::string inputs = dir.read("report/tracer_test.txt");
    EXPECT_NE(inputs.find("injection=01.01.1970 00:16:40\r\n"), std::string::npos);

    choose(page->SaveDialog3, dir.file("test.txt"), page->bt_save_inputs);
    EXPECT_EQ(dir.read("test.txt"), inputs);
    page->edits["injection"]->clear();
    page->edits["discharge_file"]->clear();
    choose(page->OpenDialog3, dir.file("test.txt"), page->bt_load_inputs);
    EXPECT_EQ(page->edits["injection"]->text(), "01.01.1970 00:16:40");
    EXPECT_EQ(page->edits["discharge_file"]->text().toStdString(), dir.file("q.csv"));
}

}  // namespace

int main(int argc, char** argv)
{
    // Test discovery runs this program without CTest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
