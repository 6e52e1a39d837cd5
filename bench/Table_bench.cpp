// The measurement table: a month of 10 s measurements appended to the
// program's table and its grid model, against a QTableWidget holding the
// same rows as one item per cell; the first and last thousand appends; and
// saving every row.
#include <benchmark/benchmark.h>

#include <QHeaderView>
#include <QTableView>
#include <QTableWidget>

#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "bench/Bench_report.h"
#include "bench/Month_of_rows.h"
#include "events/Lib_cpp.h"
#include "events/My_string.h"
#include "link/Lumo_data.h"
#include "view/Lumo2_view_master.h"
#include "view/Measure_table.h"
#include "view/Measure_table_model.h"

namespace {

constexpr unsigned EDGE_ROWS = 1000;
constexpr int FILLS = 15;
constexpr double GOAL_MEMORY_RATIO = 5.0;
constexpr double GOAL_BYTES_PER_ROW = 200.0;
constexpr double GOAL_SAVE_SECONDS = 1.0;

using Tclock = std::chrono::steady_clock;

double seconds_since(Tclock::time_point begin)
{
    return std::chrono::duration<double>(Tclock::now() - begin).count();
}

// The program's table with its grid model and the grid itself, set up as
// the view window sets them up (not shown).
struct Tproduct_table {
    Tproduct_table() : model(&table)
    {
        grid.horizontalHeader()->hide();
        grid.verticalHeader()->hide();
        grid.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid.verticalHeader()->setDefaultSectionSize(20);
        grid.setModel(&model);
    }
    Tmeasure_table table;
    Tmeasure_table_model model;
    QTableView grid;
};

void BM_table_month(benchmark::State& state)
{
    const std::vector<Tlumo_measure> records = month_of_records();
    double product_bytes = 0;
    double with_grid_bytes = 0;
    double widget_bytes = 0;
    std::vector<double> first_edge;
    std::vector<double> last_edge;
    double save_seconds = 0;
    double text_seconds = 0;
    for (auto _ : state) {
        // Memory: the table and its model, then the widget with the same rows.
        const double before_product = heap_in_use();
        {
            auto table = std::make_unique<Tmeasure_table>();
            Tmeasure_table_model model(table.get());
            for (const Tlumo_measure& record : records) table->table_add(&record);
            product_bytes = heap_in_use() - before_product;

            const double before_widget = heap_in_use();
            auto widget = std::make_unique<QTableWidget>(0, Tmeasure_table::COLUMNS);
            Tmy_string cell;
            for (unsigned row = 0; row < MONTH_ROWS; ++row) {
                widget->setRowCount(int(row) + 1);
                for (int column = 0; column < Tmeasure_table::COLUMNS; ++column) {
                    table->cell_text(row, column, &cell);
                    widget->setItem(int(row), column,
                                    new QTableWidgetItem(QString::fromLatin1(cell.c_str(), int(cell.length()))));
                }
            }
            widget_bytes = heap_in_use() - before_widget;
        }
        // Appending: the first and the last thousand rows of a month, with
        // the grid attached.
        for (int fill = 0; fill < FILLS; ++fill) {
            const double before_with_grid = heap_in_use();
            Tproduct_table product;
            auto begin = Tclock::now();
            for (unsigned row = 0; row < MONTH_ROWS; ++row) {
                if (row == EDGE_ROWS) first_edge.push_back(seconds_since(begin));
                if (row == MONTH_ROWS - EDGE_ROWS) begin = Tclock::now();
                product.table.table_add(&records[row]);
            }
            last_edge.push_back(seconds_since(begin));
            with_grid_bytes = heap_in_use() - before_with_grid;
            // Saving: the text of every row, then the file.
            Tlumo2_view_master saver;
            const auto save_begin = Tclock::now();
            std::string text;
            product.table.table_text(&text);
            text_seconds = seconds_since(save_begin);
            char path[] = "/tmp/lumo2-bench-table-XXXXXX";
            const int fd = mkstemp(path);
            if (fd >= 0) close(fd);
            if (fd < 0 || !saver.save_text(path, text)) {
                state.SkipWithError("the table could not be saved");
                report_failure("table save: no file");
                return;
            }
            save_seconds = seconds_since(save_begin);
            unlink(path);
        }
    }
    const double bytes_per_row = product_bytes / MONTH_ROWS;
    const double memory_ratio = widget_bytes / product_bytes;
    const double first = percentile(first_edge, 50) * 1e3;
    const double last = percentile(last_edge, 50) * 1e3;
    const double edge_ratio = last / first;
    state.counters["bytes_per_row"] = bytes_per_row;
    state.counters["with_grid_bytes_per_row"] = with_grid_bytes / MONTH_ROWS;
    state.counters["widget_bytes_per_row"] = widget_bytes / MONTH_ROWS;
    state.counters["memory_ratio"] = memory_ratio;
    state.counters["last_over_first_1000"] = edge_ratio;
    state.counters["save_s"] = save_seconds;
    state.counters["text_s"] = text_seconds;
    report_figure("table: widget memory / table memory", memory_ratio, "", ">= 5", memory_ratio >= GOAL_MEMORY_RATIO);
    report_figure("table: memory per row", bytes_per_row, "B",
                  "< 200 B (widget " + format_number(widget_bytes / MONTH_ROWS) + " B)",
                  bytes_per_row < GOAL_BYTES_PER_ROW);
    report_info("table: memory per row with the grid attached", with_grid_bytes / MONTH_ROWS, "B",
                "the view window's grid, not shown");
    report_figure("table: last 1000 appends / first 1000", edge_ratio, "",
                  "<= 1 (" + format_number(first) + " ms, " + format_number(last) + " ms)",
                  edge_ratio <= 1.0);
    report_figure("table: saving 259,200 rows", save_seconds * 1e3, "ms",
                  "< 1000 ms (text " + format_number(text_seconds * 1e3) + " ms)",
                  save_seconds < GOAL_SAVE_SECONDS);
}

BENCHMARK(BM_table_month)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
