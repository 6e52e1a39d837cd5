// The receive path: bytes from the line through the connection master's
// receive state machine, the frame decoder and the parsers into measurement
// records, against the line's own rate (9600 baud, 10 bits a byte).
#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <string>

#include "bench/Bench_report.h"
#include "link/Lumo2_common.h"
#include "link/Lumo_data.h"
#include "sim/Zeta_answer.h"
#include "sim/Zeta_model.h"

namespace {

constexpr double LINE_BYTES_PER_SECOND = 960.0;
constexpr double GOAL_LINE_MULTIPLE = 1000.0;
constexpr int ANSWERS = 2000;
constexpr unsigned char ALL_LAMPS = 0x4F;

// The records the parsers fill, as the view master would.
Tlumo_measure record;
long records_made = 0;

void parse_into_record(int kind, const unsigned char* bytes, unsigned length)
{
    if (kind == 1) {
        parse_frame_payload(&record, bytes, length);
    } else {
        const std::string line(reinterpret_cast<const char*>(bytes), length);
        parse_text_line(&record, line.c_str());
    }
    ++records_made;
}

// A stream of answers of one form to the all-lamps request, with the noise
// of a real cell so that the numbers vary.
std::string answer_stream(Tanswer_form form)
{
    Tzeta_model model;
    Tcell cell;
    cell.ppb[tracer::uranine] = 12.5;
    cell.ntu = 3.0;
    std::mt19937 rng(7);
    std::string stream;
    for (int i = 0; i < ANSWERS; ++i) {
        Tzeta_reading reading = model.reading(cell);
        model.add_noise(reading, 1.0, rng);
        if (form == Tanswer_form::frame)
            stream += stuff_frame(frame_body(reading, unsigned(i)));
        else
            stream += text_answer(ALL_LAMPS, reading, form == Tanswer_form::text_time, 1607337600 + 10 * i,
                                  unsigned(i));
    }
    return stream;
}

void receive(benchmark::State& state, Tanswer_form form, const char* figure)
{
    const std::string stream = answer_stream(form);
    const auto* bytes = reinterpret_cast<const unsigned char*>(stream.data());
    Tlumo2_common common;
    common.set_data_sink(parse_into_record);
    records_made = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        for (size_t i = 0; i < stream.size(); ++i) common.onRxByte(bytes[i]);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        benchmark::DoNotOptimize(record);
    }
    const double passes = double(state.iterations());
    if (records_made != long(passes) * ANSWERS) {
        state.SkipWithError("not every answer became a record");
        report_failure(std::string(figure) + ": answers lost");
        return;
    }
    state.SetBytesProcessed(int64_t(passes * double(stream.size())));
    const double multiple = passes * double(stream.size()) / seconds / LINE_BYTES_PER_SECOND;
    state.counters["x_line_rate"] = multiple;
    report_figure(figure, multiple, "x line rate", "> 1000 x 960 B/s", multiple > GOAL_LINE_MULTIPLE);
}

void BM_receive_text(benchmark::State& state) { receive(state, Tanswer_form::text, "receive text answers"); }
void BM_receive_text_time(benchmark::State& state)
{
    receive(state, Tanswer_form::text_time, "receive text answers with time");
}
void BM_receive_frames(benchmark::State& state) { receive(state, Tanswer_form::frame, "receive frames"); }

BENCHMARK(BM_receive_text)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_receive_text_time)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_receive_frames)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return run_benchmarks(argc, argv); }
