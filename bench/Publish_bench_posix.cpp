// Publishing to a broker on loopback: how long after a row is on the disk
// the consumer has it, and how fast a week's backlog drains. Debian's
// mosquitto is started on a free port in a folder of its own, mosquitto_sub
// is the consumer and stamps each message as it arrives.
#include <benchmark/benchmark.h>

#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/Bench_report.h"
#include "bench/Bench_row.h"
#include "publish/Publisher.h"
#include "view/Measure_table.h"
#include "view/Table_appender.h"

namespace {

constexpr int LIVE_ROWS = 200;
constexpr auto LIVE_GAP = std::chrono::milliseconds(20);
constexpr unsigned WEEK_ROWS = 60480;  // a week of 10 s rows
constexpr double GOAL_LATENCY_MS = 50;
constexpr double GOAL_DRAIN_S = 30;
constexpr int PORT = 18883;

using Tclock = std::chrono::steady_clock;

double unix_seconds_now()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The broker and the consumer, in a fresh folder; both ended afterwards.
struct Tbroker_run {
    Tbroker_run()
    {
        folder = (std::filesystem::temp_directory_path() / ("lumo2-publish-bench-" + std::to_string(PORT))).string();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        std::filesystem::create_directories(folder);
        // The consumer is slower than the broker: nothing of its queue is
        // dropped. Run as root, the broker stays root, to write in the folder.
        const passwd* me = getpwuid(geteuid());
        std::ofstream(folder + "/broker.conf") << "listener " << PORT << " 127.0.0.1\nallow_anonymous true\n"
                                               << "max_queued_messages 0\npid_file " << folder << "/broker.pid\n"
                                               << "user " << (me ? me->pw_name : "root") << "\n";
        ready = run("/usr/sbin/mosquitto -d -c " + folder + "/broker.conf") && wait_for_broker() &&
                run("(mosquitto_sub -p " + std::to_string(PORT) + " -t 'bench/+/row' -q 1 -F '%U %p' > " + folder +
                    "/received & echo $! > " + folder + "/consumer.pid)");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    ~Tbroker_run()
    {
        run("kill $(cat " + folder + "/consumer.pid) $(cat " + folder + "/broker.pid)");
        // The broker removes its pid file as it ends.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    static bool run(const std::string& command) { return std::system(command.c_str()) == 0; }
    bool wait_for_broker() const
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (run("mosquitto_pub -p " + std::to_string(PORT) + " -t bench/ready -m x 2>/dev/null")) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    // The consumer's lines "<arrival unix seconds> <message>".
    std::vector<std::string> received() const
    {
        std::vector<std::string> lines;
        std::istringstream text(read_file(folder + "/received"));
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }
    std::unique_ptr<Tpublisher> publisher(const std::string& station) const
    {
        Tpublish_target target;
        std::string error;
        read_publish_target({"mqtt://127.0.0.1:" + std::to_string(PORT) + "/bench", station, ""}, &target, &error);
        return start_publisher(target, nullptr, &error);
    }

    std::string folder;
    bool ready = false;
};

void BM_publish_latency(benchmark::State& state)
{
    Tbroker_run broker;
    if (!broker.ready) {
        state.SkipWithError("no broker");
        report_failure("publishing: mosquitto could not be started (scripts/setup.sh installs it)");
        return;
    }
    std::vector<double> written;
    for (auto _ : state) {
        Ttable_appender table;
        std::string error;
        table.open((broker.folder + "/live.csv").c_str(), &error);
        std::unique_ptr<Tpublisher> publisher = broker.publisher("live");
        publisher->publish_table(broker.folder + "/live.csv");
        Tmeasure_table rows;
        for (unsigned i = 0; i < LIVE_ROWS; ++i) {
            const Tlumo_measure r = bench_record(unsigned(i));
            rows.table_add(&r);
            table.append_row(rows.row(i), &error);
            written.push_back(unix_seconds_now());
            publisher->rows_written();
            std::this_thread::sleep_for(LIVE_GAP);
        }
        publisher->stop();
    }
    std::vector<double> latencies;
    for (const std::string& line : broker.received()) {
        const size_t seq_at = line.find("\"seq\":");
        if (seq_at == std::string::npos) continue;
        const size_t seq = std::stoul(line.substr(seq_at + 6));
        if (seq >= 1 && seq <= written.size()) latencies.push_back((std::stod(line) - written[seq - 1]) * 1000);
    }
    if (latencies.size() != written.size()) report_failure("publishing: not every live row arrived");
    const double median = percentile(latencies, 50);
    report_figure("row on the disk to the consumer, loopback, median", median, "ms",
                  "< " + format_number(GOAL_LATENCY_MS) + " ms", median < GOAL_LATENCY_MS);
    report_info("row on the disk to the consumer, 99th percentile", percentile(latencies, 99), "ms", "");
}

void BM_publish_backlog(benchmark::State& state)
{
    Tbroker_run broker;
    if (!broker.ready) {
        state.SkipWithError("no broker");
        report_failure("publishing: mosquitto could not be started (scripts/setup.sh installs it)");
        return;
    }
    const std::string path = broker.folder + "/week.csv";
    Tmeasure_table rows;
    for (unsigned i = 0; i < WEEK_ROWS; ++i) {
        const Tlumo_measure r = bench_record(unsigned(i));
        rows.table_add(&r);
    }
    std::string text;
    rows.table_text(&text);
    std::ofstream(path, std::ios::binary) << text;
    double seconds = 0;
    for (auto _ : state) {
        const Tclock::time_point begin = Tclock::now();
        std::unique_ptr<Tpublisher> publisher = broker.publisher("week");
        publisher->publish_table(path);
        const std::string last = "\"seq\":" + std::to_string(WEEK_ROWS) + ",";
        while (Tclock::now() - begin < std::chrono::seconds(120)) {
            const std::string tail = read_file(broker.folder + "/received");
            if (tail.find(last) != std::string::npos) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        seconds = std::chrono::duration<double>(Tclock::now() - begin).count();
        publisher->stop();
    }
    const size_t arrived = broker.received().size();
    if (arrived < WEEK_ROWS) report_failure("publishing: " + std::to_string(arrived) + " of the week's rows arrived");
    report_figure("a week of 10 s rows (60,480) drained to the consumer", seconds, "s",
                  "< " + format_number(GOAL_DRAIN_S) + " s", seconds < GOAL_DRAIN_S);
}

BENCHMARK(BM_publish_latency)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_publish_backlog)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return run_benchmarks(argc, argv); }
