// The view window's chart over a month of 10 s measurements, all four series
// drawn: the time to add one more row (the table's append and the chart's
// update, without drawing), the time to redraw the whole chart offscreen at
// 1280 x 800, and the memory the chart adds to the table per row.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <qcustomplot.h>

#include <chrono>
#include <memory>
#include <vector>

#include "bench/Bench_report.h"
#include "bench/Month_of_rows.h"
#include "view/Chart_pane.h"
#include "view/Measure_table.h"
#include "view/Vorn_lumo.h"

namespace {

constexpr int ADDS = 1000;
constexpr int REDRAWS = 11;
constexpr int WIDTH = 1280;
constexpr int HEIGHT = 800;
constexpr double GOAL_ADD_MS = 0.5;
constexpr double GOAL_REDRAW_MS = 50.0;
constexpr double GOAL_BYTES_PER_ROW = 100.0;

using Tclock = std::chrono::steady_clock;

double ms_since(Tclock::time_point begin)
{
    return std::chrono::duration<double, std::milli>(Tclock::now() - begin).count();
}

// Loaded constants as the chart sees them: valid, with a tracer per lamp.
void load_month_constants(Tvorn_lumo* constants)
{
    constants->valid = 1;
    constants->dyename[1].format("%s", "Uranine");
    constants->dyename[2].format("%s", "SulforhodamineB");
    constants->dyename[3].format("%s", "AminoGacid");
}

double table_bytes(const std::vector<Tlumo_measure>& records)
{
    const double before = heap_in_use();
    Tmeasure_table table;
    for (const Tlumo_measure& record : records) table.table_add(&record);
    return heap_in_use() - before;
}

// Rows that carry on where the month ends.
std::vector<Tlumo_measure> rows_after(const std::vector<Tlumo_measure>& records, int count)
{
    std::vector<Tlumo_measure> more(records.begin(), records.begin() + count);
    for (Tlumo_measure& record : more) record.timestamp += int32_t(10 * MONTH_ROWS);
    return more;
}

void BM_chart_month(benchmark::State& state)
{
    const std::vector<Tlumo_measure> records = month_of_records();
    const std::vector<Tlumo_measure> more = rows_after(records, ADDS);
    Tvorn_lumo constants;
    load_month_constants(&constants);
    double chart_bytes = 0;
    std::vector<double> adds;
    std::vector<double> redraws;
    for (auto _ : state) {
        const double table_alone = table_bytes(records);
        auto table = std::make_unique<Tmeasure_table>();
        auto chart = std::make_unique<TChart_pane>();
        chart->bind(table.get(), &constants);
        QCoreApplication::processEvents();
        const double before = heap_in_use();
        for (const Tlumo_measure& record : records) table->table_add(&record);
        QCoreApplication::processEvents();
        chart_bytes = heap_in_use() - before - table_alone;

        for (const Tlumo_measure& record : more) {
            const auto begin = Tclock::now();
            table->table_add(&record);
            QCoreApplication::processEvents();
            adds.push_back(ms_since(begin));
        }
        for (int redraw = 0; redraw < REDRAWS; ++redraw) {
            const auto begin = Tclock::now();
            const QPixmap drawn = chart->plot()->toPixmap(WIDTH, HEIGHT);
            redraws.push_back(ms_since(begin));
            if (drawn.isNull()) {
                state.SkipWithError("the chart could not be drawn");
                report_failure("chart: no drawing");
                return;
            }
        }
    }
    const double bytes_per_row = chart_bytes / MONTH_ROWS;
    const double add_ms = percentile(adds, 50);
    const double redraw_ms = percentile(redraws, 50);
    state.counters["bytes_per_row"] = bytes_per_row;
    state.counters["add_ms"] = add_ms;
    state.counters["redraw_ms"] = redraw_ms;
    report_figure("chart: adding one row to 259,200 (median of 1000)", add_ms, "ms",
                  "< 0.5 ms (99th percentile " + format_number(percentile(adds, 99)) + " ms)", add_ms < GOAL_ADD_MS);
    report_figure("chart: redrawing 259,200 rows at 1280 x 800 (median of 11)", redraw_ms, "ms",
                  "< 50 ms (max " + format_number(percentile(redraws, 100)) + " ms)", redraw_ms < GOAL_REDRAW_MS);
    report_figure("chart: memory per row", bytes_per_row, "B", "< 100 B", bytes_per_row < GOAL_BYTES_PER_ROW);
}

BENCHMARK(BM_chart_month)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
