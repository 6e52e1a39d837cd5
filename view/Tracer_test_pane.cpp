#include "view/Tracer_test_pane.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include "analysis/Analysis_text.h"
#include "analysis/Input_text.h"
#include "analysis/Time_text.h"
#include "analysis/Tracer_test.h"
#include "app/Form_helpers.h"
#include "events/Lib_cpp.h"
#include "link/Lumo2_common.h"
#include "view/Chart_pane.h"

namespace {

// The form's inputs in their order, each with a hint of what an empty
// field means.
struct Tinput_hint {
    const char* name;
    const char* hint;
};

const Tinput_hint INPUTS[] = {
    {"site", "spring, well or station"},
    {"injection", "dd.mm.yyyy hh:mm:ss"},
    {"mass_A", "none"},
    {"mass_B", "none"},
    {"mass_C", "none"},
    {"discharge", "constant, or a file below"},
    {"discharge_file", "time;discharge rows"},
    {"distance", "none: no velocities"},
    {"background_A", "mean before the injection"},
    {"background_B", "mean before the injection"},
    {"background_C", "mean before the injection"},
};

const QColor INJECTION_COLOUR(0, 0, 0);
constexpr int FORM_WIDTH = 280;


QString text_of(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
std::string text_of(const QString& text) { return text.trimmed().toUtf8().toStdString(); }

// A cell's text on the page: a figure's second unit ("(36.00 m/h)") on a
// line of its own, so that three lamps fit beside the labels.
QString page_text(const Tdisplay_cell& cell)
{
    const std::string mark = cell.state == Tfigure_state::provisional ? " *" : "";
    const size_t second = cell.text.find(" (");
    if (second == std::string::npos) return text_of(cell.text + mark);
    return text_of(cell.text.substr(0, second) + mark + "\n" + cell.text.substr(second + 1));
}

QPushButton* button(const char* name, const char* caption)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    return b;
}

}  // namespace

TTracer_test_pane::TTracer_test_pane(QWidget* parent) : QWidget(parent)
{
    setObjectName("Tracer_test_pane");
    auto* row = new QHBoxLayout(this);
    row->addWidget(inputs_form(), 0);

    auto* results = new QVBoxLayout;
    const std::vector<std::string> lines = analysis_display_labels();
    StringGrid2 = new QTableWidget(int(lines.size()), 0);
    StringGrid2->setObjectName("StringGrid2");
    StringGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid2->setWordWrap(false);
    StringGrid2->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    StringGrid2->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    QStringList labels;
    for (const std::string& line : lines) labels << text_of(line);
    StringGrid2->setVerticalHeaderLabels(labels);
    results->addWidget(StringGrid2, 4);
    Memo2 = text_pane(this, "Memo2", 0, true);
    results->addWidget(Memo2, 1);
    row->addLayout(results, 1);

    OpenDialog3 = open_dialog(this, "OpenDialog3", {"Tracer test (*.txt)", "all (*.*)"}, "txt");
    SaveDialog3 = save_dialog(this, "SaveDialog3", {"Tracer test (*.txt)", "all (*.*)"}, "txt");
    OpenDialog4 = open_dialog(this, "OpenDialog4", {"CSV (*.csv)", "all (*.*)"}, "csv");
    OpenDialog5 = open_dialog(this, "OpenDialog5");
    OpenDialog5->setFileMode(QFileDialog::Directory);
    OpenDialog5->setOption(QFileDialog::ShowDirsOnly);

    connect(bt_apply, &QPushButton::clicked, this, &TTracer_test_pane::apply);
    connect(bt_load_inputs, &QPushButton::clicked, this, &TTracer_test_pane::load_inputs);
    connect(bt_save_inputs, &QPushButton::clicked, this, &TTracer_test_pane::save_inputs);
    connect(bt_discharge_file, &QPushButton::clicked, this, &TTracer_test_pane::choose_discharge_file);
    connect(bt_save_report, &QPushButton::clicked, this, &TTracer_test_pane::save_report);
}

TTracer_test_pane::~TTracer_test_pane()
{
    if (test) test->set_on_change(nullptr);
}

QWidget* TTracer_test_pane::inputs_form()
{
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    auto* form = new QFormLayout;
    for (const Tinput_hint& input : INPUTS) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QString("ed_") + input.name);
        edit->setPlaceholderText(input.hint);
        edits[input.name] = edit;
        const QString caption = text_of(tracer_input_caption(input.name));
        if (std::string(input.name) == "injection") {
            lb_injection = new QLabel(caption);
            lb_injection->setObjectName("lb_injection");
            form->addRow(lb_injection, edit);
            lb_injection_utc = new QLabel;
            lb_injection_utc->setObjectName("lb_injection_utc");
            lb_injection_utc->setAlignment(Qt::AlignRight);
            form->addRow(lb_injection_utc);
            continue;
        }
        if (std::string(input.name) != "discharge_file") {
            form->addRow(caption, edit);
            continue;
        }
        auto* with_button = new QHBoxLayout;
        with_button->addWidget(edit, 1);
        bt_discharge_file = button("bt_discharge_file", "...");
        bt_discharge_file->setFixedWidth(28);
        with_button->addWidget(bt_discharge_file);
        form->addRow(caption, with_button);
    }
    column->addLayout(form);
    auto* buttons = new QGridLayout;
    bt_apply = button("bt_apply", "Apply");
    bt_load_inputs = button("bt_load_inputs", "Load inputs...");
    bt_save_inputs = button("bt_save_inputs", "Save inputs...");
    bt_save_report = button("bt_save_report", "Save report...");
    buttons->addWidget(bt_apply, 0, 0);
    buttons->addWidget(bt_save_report, 0, 1);
    buttons->addWidget(bt_load_inputs, 1, 0);
    buttons->addWidget(bt_save_inputs, 1, 1);
    column->addLayout(buttons);
    lb_message = new QLabel;
    lb_message->setObjectName("lb_message");
    lb_message->setWordWrap(true);
    column->addWidget(lb_message);
    column->addStretch(1);
    box->setFixedWidth(FORM_WIDTH);
    return box;
}

void TTracer_test_pane::bind(Ttracer_test* tracer_test, TChart_pane* chart_pane)
{
    test = tracer_test;
    chart = chart_pane;
    test->set_on_change([this] {
        show_results();
        mark_chart();
    });
    show_inputs();
    show_results();
    mark_chart();
}

void TTracer_test_pane::apply()
{
    if (!test) return;
    std::string caption, error;
    const Ttime_zone zone = display_time_zone(zone_code ? zone_code() : 0, &caption);
    Ttracer_fields fields;
    for (const auto& [name, edit] : edits) {
        std::string value = text_of(edit->text());
        double utc = 0;
        if (name == "injection" && !value.empty()) {
            if (!parse_zoned_time_text(value, zone, -1e300, &utc, &error)) {
                tell(text_of("injection: " + error), true);
                return;
            }
            value = exact_number_text(utc);
        }
        fields.push_back({name, value});
    }
    if (!test->set_fields(fields, &error)) {
        tell(text_of(error), true);
        return;
    }
    show_inputs();
    tell("Applied.", false);
}

void TTracer_test_pane::show_inputs()
{
    std::string caption;
    const Ttime_zone zone = display_time_zone(zone_code ? zone_code() : 0, &caption);
    lb_injection->setText(text_of("Injection (" + caption + ")"));
    lb_injection_utc->clear();
    for (const auto& [name, value] : test->fields()) {
        if (!edits.count(name)) continue;
        double utc = 0;
        if (name != "injection" || !parse_utc_text(value, &utc)) {
            edits[name]->setText(text_of(value));
            continue;
        }
        edits[name]->setText(text_of(zoned_date_text(utc, zone)));
        lb_injection_utc->setText(text_of("UTC " + utc_date_text(utc)));
    }
}

void TTracer_test_pane::show_results()
{
    const std::vector<Tlamp_analysis>& lamps = test->results();
    StringGrid2->setColumnCount(int(lamps.size()));
    for (int column = 0; column < int(lamps.size()); ++column) {
        const Tlamp_analysis& lamp = lamps[size_t(column)];
        StringGrid2->setHorizontalHeaderItem(column, new QTableWidgetItem(QString("Lamp ") + tracer_lamp_name(lamp.lamp)));
        const std::vector<Tdisplay_cell> cells = analysis_display_cells(lamp);
        for (int line = 0; line < int(cells.size()); ++line) {
            const Tdisplay_cell& cell = cells[size_t(line)];
            auto* item = new QTableWidgetItem(page_text(cell));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            item->setToolTip(text_of(cell.reason));
            if (cell.state != Tfigure_state::available) item->setForeground(QColor(130, 130, 130));
            StringGrid2->setItem(line, column, item);
        }
    }
    if (is_undefined_double(test->inputs().injection_utc)) {
        Memo2->setPlainText("Give the injection time and press Apply.");
        return;
    }
    std::string why;
    analysis_why_text(lamps, &why);
    Memo2->setPlainText(text_of(why + "\n" + ANALYSIS_MODEL_NOTE));
}

void TTracer_test_pane::mark_chart()
{
    if (!chart) return;
    chart->clear_markers();
    chart->set_injection(test->inputs().injection_utc);
    for (const Ttracer_test::Tmark& mark : test->marks())
        chart->add_marker(mark.utc, text_of(mark.label),
                          mark.lamp < 0 ? INJECTION_COLOUR : chart->series(mark.lamp)->pen().color());
}

void TTracer_test_pane::load_inputs()
{
    if (!test || OpenDialog3->exec() != QDialog::Accepted || OpenDialog3->selectedFiles().isEmpty()) return;
    const QByteArray path = QFile::encodeName(chosen_path(OpenDialog3));
    std::string error;
    if (!test->load_inputs(path.constData(), &error)) {
        tell(text_of(error), true);
        return;
    }
    show_inputs();
    tell("Loaded " + chosen_path(OpenDialog3) + ".", false);
}

void TTracer_test_pane::save_inputs()
{
    if (!test || SaveDialog3->exec() != QDialog::Accepted || SaveDialog3->selectedFiles().isEmpty()) return;
    const QString chosen = chosen_path(SaveDialog3);
    std::string reason;
    if (test->save_inputs(QFile::encodeName(chosen).constData(), &reason))
        tell("Saved " + chosen + ".", false);
    else
        tell("Unable to write " + chosen + ": " + QString::fromLocal8Bit(reason.c_str()) + ".", true);
}

void TTracer_test_pane::choose_discharge_file()
{
    if (OpenDialog4->exec() != QDialog::Accepted || OpenDialog4->selectedFiles().isEmpty()) return;
    edits["discharge_file"]->setText(chosen_path(OpenDialog4));
}

// The inputs, the results and the chart as a PNG, into one folder; the
// chart under the test's title, the injection in sight.
void TTracer_test_pane::save_report()
{
    if (!test || OpenDialog5->exec() != QDialog::Accepted || OpenDialog5->selectedFiles().isEmpty()) return;
    const QString folder = chosen_path(OpenDialog5);
    std::string error;
    if (!test->save_report(QFile::encodeName(folder).constData(), &error)) {
        tell(text_of(error), true);
        return;
    }
    if (chart && !chart->save_titled(QDir(folder).filePath("chart.png"), text_of(tracer_test_title(test->inputs())),
                                     test->inputs().injection_utc)) {
        tell("Unable to write chart.png into " + folder + ".", true);
        return;
    }
    tell("Report saved in " + folder + ".", false);
}

void TTracer_test_pane::tell(const QString& message, bool fault)
{
    lb_message->setStyleSheet(fault ? "color: rgb(200, 0, 0);" : "");
    lb_message->setText(message);
}
