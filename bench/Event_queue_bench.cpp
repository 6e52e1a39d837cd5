// The event queue: records raised and delivered through the hidden signal
// window on a running event loop, against plain posted events delivered to a
// plain object, the same number of each in the same run.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>

#include <chrono>
#include <string>
#include <vector>

#include "bench/Alloc_count.h"
#include "bench/Bench_report.h"
#include "events/Event_resource.h"
#include "events/Wsignal.h"

namespace {

constexpr int EVENTS = 1000;
constexpr double GOAL_RATE_RATIO = 0.5;
const QEvent::Type BARE_TYPE = QEvent::Type(QEvent::User + 1);

using Tclock = std::chrono::steady_clock;

// How the events are raised: all at once before the loop runs, or each by
// the handler of the one before (the pattern of a byte-by-byte read).
enum class Tpattern { burst, chain };

// Owns the records; counts deliveries and, in a chain, raises the next.
class Tcounting_owner : public Tevent_resource {
public:
    explicit Tcounting_owner(Tpattern pattern) : pattern(pattern), records(EVENTS)
    {
        for (Tmy_event& record : records) record.init("BENCH", this);
    }

    void OnEvent(Tmy_event* event) override
    {
        ++delivered;
        if (delivered == EVENTS) {
            loop->quit();
            return;
        }
        if (pattern == Tpattern::chain) {
            const std::uint64_t before = allocation_count();
            event->trigger();
            raise_allocations += allocation_count() - before;
        }
    }

    // Raises and delivers EVENTS records; returns the seconds it took.
    double run()
    {
        QEventLoop running;
        loop = &running;
        delivered = 0;
        const auto begin = Tclock::now();
        const std::uint64_t before = allocation_count();
        if (pattern == Tpattern::burst)
            for (Tmy_event& record : records) record.trigger();
        else
            records[0].trigger();
        raise_allocations += allocation_count() - before;
        running.exec();
        return std::chrono::duration<double>(Tclock::now() - begin).count();
    }

    Tpattern pattern;
    std::vector<Tmy_event> records;
    QEventLoop* loop = nullptr;
    int delivered = 0;
    std::uint64_t raise_allocations = 0;
};

// The baseline: a plain object receiving plain posted events.
class Tbare_receiver : public QObject {
public:
    explicit Tbare_receiver(Tpattern pattern) : pattern(pattern) {}

    bool event(QEvent* event) override
    {
        if (event->type() != BARE_TYPE) return QObject::event(event);
        ++delivered;
        if (delivered == EVENTS) loop->quit();
        else if (pattern == Tpattern::chain) QCoreApplication::postEvent(this, new QEvent(BARE_TYPE));
        return true;
    }

    double run()
    {
        QEventLoop running;
        loop = &running;
        delivered = 0;
        const auto begin = Tclock::now();
        const int posted = pattern == Tpattern::burst ? EVENTS : 1;
        for (int i = 0; i < posted; ++i) QCoreApplication::postEvent(this, new QEvent(BARE_TYPE));
        running.exec();
        return std::chrono::duration<double>(Tclock::now() - begin).count();
    }

    Tpattern pattern;
    QEventLoop* loop = nullptr;
    int delivered = 0;
};

// Each iteration delivers EVENTS of each kind, alternately, so that both
// see the same machine.
void queue_against_bare(benchmark::State& state, Tpattern pattern, const std::string& figure)
{
    TSignalForm window;
    QCoreApplication::processEvents();  // the window's start-up message
    Tcounting_owner owner(pattern);
    Tbare_receiver bare(pattern);
    owner.run();  // warms the toolkit's posted-event list
    bare.run();
    owner.raise_allocations = 0;
    double queue_seconds = 0;
    double bare_seconds = 0;
    for (auto _ : state) {
        queue_seconds += owner.run();
        bare_seconds += bare.run();
    }
    const double events = double(state.iterations()) * EVENTS;
    const double queue_rate = events / queue_seconds;
    const double bare_rate = events / bare_seconds;
    const double ratio = queue_rate / bare_rate;
    const double allocations_per_raise = double(owner.raise_allocations) / events;
    state.counters["queue_events_per_s"] = queue_rate;
    state.counters["bare_events_per_s"] = bare_rate;
    state.counters["rate_ratio"] = ratio;
    state.counters["allocs_per_raise"] = allocations_per_raise;
    report_figure(figure + ": rate / bare postEvent rate", ratio, "", ">= 0.5", ratio >= GOAL_RATE_RATIO);
    report_info(figure + ": queue rate", queue_rate, "events/s", "bare " + format_number(bare_rate) + " events/s");
    report_figure(figure + ": allocations per raise", allocations_per_raise, "", "0", owner.raise_allocations == 0);
}

void BM_event_queue_burst(benchmark::State& state)
{
    queue_against_bare(state, Tpattern::burst, "event queue, burst");
}

void BM_event_queue_chain(benchmark::State& state)
{
    queue_against_bare(state, Tpattern::chain, "event queue, chain");
}

BENCHMARK(BM_event_queue_burst)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_event_queue_chain)->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace
