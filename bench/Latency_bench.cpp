// End-to-end latency: from the simulator writing the last byte of an answer
// to the row being in the view window's table model, through the real
// pseudo-terminal, serial worker thread, event queue, connection master and
// view master of a running program.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/Application.h"
#include "app/Gui.h"
#include "app/Lumo2_app.h"
#include "bench/Bench_instrument.h"
#include "bench/Bench_report.h"
#include "view/Measure_table.h"

namespace {

constexpr int ANSWERS_PER_FORM = 300;
constexpr int GAP_MS = 5;                // between a row and the next request
constexpr int CONNECT_PATIENCE_MS = 5000;
constexpr int ANSWER_PATIENCE_MS = 2000;
constexpr int MAX_LOST = 10;
constexpr double GOAL_MEDIAN_MS = 5.0;
constexpr double GOAL_P99_MS = 20.0;

using Tclock = std::chrono::steady_clock;

int64_t now_ns()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Tclock::now().time_since_epoch()).count();
}

// Drives a running program: requests one measurement at a time through the
// view master and times each answer from its last byte to its table row.
class Tlatency_probe : public Tmeasure_table_listener {
public:
    explicit Tlatency_probe(Tzeta_simulator* sim) : sim(sim) {}

    void start()
    {
        dispatch_command(CMD_MODE_VIEW);
        for (QWidget* window : QApplication::topLevelWidgets())
            for (QCheckBox* lamp : window->findChildren<QCheckBox*>())
                if (lamp->objectName().startsWith("cb_lampe_")) lamp->setChecked(true);
        // Behind the grid's model, so the model has the row when this hears of it.
        the_app()->view_master.table.add_listener(this);
        connect_deadline = Tclock::now() + std::chrono::milliseconds(CONNECT_PATIENCE_MS);
        // A request lost on the way is made again.
        watchdog = std::make_unique<QTimer>();
        watchdog->setSingleShot(true);
        QObject::connect(watchdog.get(), &QTimer::timeout, [this] {
            if (++lost > MAX_LOST) finish();
            else request();
        });
        QTimer::singleShot(GAP_MS, [this] { request(); });
    }

    void row_about_to_be_added(unsigned) override {}
    void row_added() override
    {
        const int64_t row_at = now_ns();
        watchdog->stop();
        // The simulator's thread stamps the answer just after its write
        // returns, which on a busy machine may be after the row is in.
        int64_t written = last_byte_written.exchange(0);
        for (int wait = 0; written == 0 && wait < 1000; ++wait) {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
            written = last_byte_written.exchange(0);
        }
        if (written != 0)
            (forms_done == 0 ? text_ms : frame_ms).push_back(double(std::max<int64_t>(row_at - written, 0)) / 1e6);
        if (int((forms_done == 0 ? text_ms : frame_ms).size()) == ANSWERS_PER_FORM) {
            // Frames after text: a frame opens a window in which line feeds end nothing.
            if (++forms_done == 2) {
                finish();
                return;
            }
            sim->set_form(Tanswer_form::frame);
        }
        QTimer::singleShot(GAP_MS, [this] { request(); });
    }
    void table_about_to_clear() override {}
    void table_cleared() override {}

    void answer_written() { last_byte_written.store(now_ns()); }

    std::vector<double> text_ms;
    std::vector<double> frame_ms;
    bool connected = false;

private:
    void request()
    {
        Tserial_platform* port = the_app()->common.serial_port->platform;
        if (!port || !port->device_open()) {
            if (Tclock::now() > connect_deadline) {
                finish();
                return;
            }
            QTimer::singleShot(GAP_MS, [this] { request(); });
            return;
        }
        connected = true;
        watchdog->start(ANSWER_PATIENCE_MS);
        the_app()->view_master.OnAcq();
    }

    void finish()
    {
        watchdog.reset();
        the_app()->view_master.table.remove_listener(this);
        dispatch_command(CMD_EXIT);
    }

    Tzeta_simulator* sim;
    std::atomic<int64_t> last_byte_written{0};
    std::unique_ptr<QTimer> watchdog;
    int lost = 0;
    int forms_done = 0;
    Tclock::time_point connect_deadline;
};

void report_distribution(benchmark::State& state, const char* form, const std::vector<double>& ms)
{
    const double median = percentile(ms, 50);
    const double p99 = percentile(ms, 99);
    state.counters[std::string(form) + "_median_ms"] = median;
    state.counters[std::string(form) + "_p99_ms"] = p99;
    report_figure(std::string("latency, ") + form + ": median", median, "ms", "< 5 ms", median < GOAL_MEDIAN_MS);
    report_figure(std::string("latency, ") + form + ": 99th percentile", p99, "ms", "< 20 ms", p99 < GOAL_P99_MS);
}

void BM_end_to_end_latency(benchmark::State& state)
{
    for (auto _ : state) {
        Tbench_instrument instrument;
        Tlatency_probe* probe = nullptr;
        std::string error;
        if (!instrument.open([&probe](unsigned char, const std::string& wire) {
                if (probe && !wire.empty()) probe->answer_written();
            }, &error)) {
            state.SkipWithError(error.c_str());
            report_failure("latency: " + error);
            return;
        }
        Tlatency_probe driver(&instrument.sim);
        probe = &driver;
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(instrument.dir);
        Tapp_options options;
        options.exit_pause_ms = 0;
        options.observer = [&driver](const char* stage) {
            if (std::string(stage) == "started") driver.start();
        };
        char name[] = "lumo2";
        char* argv[] = {name, nullptr};
        run_application(1, argv, options);
        std::filesystem::current_path(previous);
        probe = nullptr;
        if (!driver.connected || driver.frame_ms.size() < ANSWERS_PER_FORM) {
            state.SkipWithError("the program did not answer every request");
            report_failure("latency: the program did not connect or missed answers");
            return;
        }
        report_distribution(state, "text", driver.text_ms);
        report_distribution(state, "frame", driver.frame_ms);
    }
}

BENCHMARK(BM_end_to_end_latency)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return run_benchmarks(argc, argv);
}
