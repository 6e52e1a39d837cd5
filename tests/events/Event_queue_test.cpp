#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "Log_capture.h"
#include "events/Event_resource.h"
#include "events/Sequence.h"

namespace {

// Counts wake-ups instead of posting; the test delivers one by one.
std::atomic<int> wake_ups{0};
void count_wake_up()
{
    wake_ups++;
}

// Records the names of what it is handed.
class Recorder : public Tevent_resource {
public:
    std::vector<const Tmy_event*> seen;
    void OnEvent(Tmy_event* event) override { seen.push_back(event); }
};

class Queue_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        event_queue_reset();
        wake_ups = 0;
        set_wake_hook(count_wake_up);
    }
    void TearDown() override
    {
        event_queue_reset();
        set_wake_hook(nullptr);
    }
    // Delivers while wake-ups are outstanding, as the window's loop would.
    void pump()
    {
        while (outstanding() > 0) deliver_one();
    }
    void deliver_one()
    {
        delivered_wake_ups++;
        OnCustomEventHandler();
    }
    int outstanding() const { return wake_ups - delivered_wake_ups; }

    int delivered_wake_ups = 0;
    Recorder owner;
};

TEST_F(Queue_test, DeliversInRaisingOrderAndMergesAPendingRecord)
{
    Tmy_event a, b;
    a.init("A", &owner);
    b.init("B", &owner);
    a.trigger();
    b.trigger();
    a.trigger();
    EXPECT_EQ(wake_ups, 1);
    pump();
    EXPECT_EQ(owner.seen, (std::vector<const Tmy_event*>{&a, &b}));
    EXPECT_EQ(a.pending, 0);
    EXPECT_EQ(b.pending, 0);
    EXPECT_TRUE(event_queue_empty());
}

TEST_F(Queue_test, ExactlyOneWakeUpOutstandingWhileNotEmpty)
{
    Tmy_event records[3];
    for (Tmy_event& record : records) record.init("R", &owner);
    for (Tmy_event& record : records) record.trigger();
    EXPECT_EQ(outstanding(), 1);
    deliver_one();
    EXPECT_EQ(outstanding(), 1);
    deliver_one();
    EXPECT_EQ(outstanding(), 1);
    deliver_one();
    EXPECT_EQ(outstanding(), 0);
    EXPECT_TRUE(event_queue_empty());
    EXPECT_EQ(owner.seen.size(), 3u);
}

// A handler that raises what it handles is queued behind what waited before.
class Reraiser : public Tevent_resource {
public:
    Tmy_event own, other;
    std::vector<const Tmy_event*> seen;
    int raises_left = 1;
    void OnEvent(Tmy_event* event) override
    {
        seen.push_back(event);
        if (event == &own && raises_left-- > 0) own.trigger();
    }
};

TEST_F(Queue_test, HandlerRaisingItsOwnRecordGetsItAgainAfterTheOthers)
{
    Reraiser r;
    r.own.init("OWN", &r);
    r.other.init("OTHER", &r);
    r.own.trigger();
    r.other.trigger();
    pump();
    EXPECT_EQ(r.seen, (std::vector<const Tmy_event*>{&r.own, &r.other, &r.own}));
    EXPECT_EQ(outstanding(), 0);
}

TEST_F(Queue_test, RecordWithoutOwnerIsConsumedSilently)
{
    Tmy_event orphan;
    orphan.init("ORPHAN", nullptr);
    orphan.trigger();
    pump();
    EXPECT_EQ(orphan.pending, 0);
    EXPECT_TRUE(event_queue_empty());
}

TEST_F(Queue_test, SpuriousWakeUpOnEmptyQueueDoesNothing)
{
    OnCustomEventHandler();
    EXPECT_EQ(wake_ups, 0);
}

TEST_F(Queue_test, DestroyedResourceTakesItsQueuedRecordsAlong)
{
    Tmy_event before, after;
    before.init("BEFORE", &owner);
    after.init("AFTER", &owner);
    before.trigger();
    {
        Tsequence doomed;
        doomed.ev_success.trigger();
        doomed.ev_error.trigger();
    }
    after.trigger();
    pump();
    EXPECT_EQ(owner.seen, (std::vector<const Tmy_event*>{&before, &after}));
}

TEST(Event_record, LongNamesAreNotStored)
{
    Tmy_event event;
    event.init(std::string(63, 'x').c_str(), nullptr);
    EXPECT_EQ(std::string(event.name), std::string(63, 'x'));
    event.init(std::string(64, 'x').c_str(), nullptr);
    EXPECT_STREQ(event.name, "");
    event.init(nullptr, nullptr);
    EXPECT_STREQ(event.name, "");
}

TEST(Event_resource, OneListenerFirstComeFirstServed)
{
    Tevent_resource source, first, second;
    EXPECT_FALSE(source.connect(nullptr));
    EXPECT_TRUE(source.connect(&first));
    EXPECT_TRUE(source.connect(&first));
    EXPECT_FALSE(source.connect(&second));
    source.disconnect(&second);
    EXPECT_FALSE(source.connect(&second));
    source.disconnect(&first);
    EXPECT_TRUE(source.connect(&second));
}

TEST(Event_resource, NameParameterIgnoresCase)
{
    Tsequence sequence;
    EXPECT_STREQ(sequence.getParam("name"), "");
    sequence.setParam("name", "common");
    sequence.setParam("verbose", "1");
    sequence.setParam("NAME", nullptr);
    EXPECT_STREQ(sequence.getParam("NAME"), "common");
    EXPECT_STREQ(sequence.getParam("verbose"), "");
    EXPECT_STREQ(sequence.getParam(nullptr), "");
}

TEST(Sequence, OutcomeRecordsShareNamesButNotAddresses)
{
    Tsequence one, two;
    EXPECT_STREQ(one.ev_success.name, two.ev_success.name);
    EXPECT_NE(&one.ev_success, &two.ev_success);
    const Tmy_event* records[] = {&one.ev_cancel, &one.ev_success, &one.ev_cancelled, &one.ev_stop, &one.ev_error};
    const char* names[] = {"CANCEL", "SUCCESS", "CANCELLED", "STOP", "ERROR"};
    for (int i = 0; i < 5; i++) {
        EXPECT_STREQ(records[i]->name, names[i]);
        EXPECT_EQ(records[i]->owner, &one);
    }
}

TEST_F(Queue_test, ShowEventsPendingListsHeadToTail)
{
    Log_capture log;
    show_events_pending();
    Tmy_event a, b;
    a.init("A", &owner);
    b.init("B", &owner);
    a.trigger();
    b.trigger();
    show_events_pending();
    EXPECT_EQ(Log_capture::lines(), (std::vector<std::string>{
                                         "show_events_pending() =>  { vide } ",
                                         "show_events_pending() => BEGIN",
                                         "      event        A ",
                                         "      event *LAST* B ",
                                         "-- show_events_pending END",
                                     }));
}

TEST_F(Queue_test, TracedRecordLogsItsQueueing)
{
    Log_capture log;
    Tmy_event traced;
    traced.init("T", &owner);
    traced.trace = 1;
    traced.trigger();
    EXPECT_EQ(Log_capture::lines(),
              (std::vector<std::string>{"event_add_to_queue (T)", "event_add_to_queue : gen_event"}));
}

// Raisers on other threads, deliveries here. Each raiser waits now and then
// until its latest raise has been seen by a delivery: a lost raise shows as
// a timeout.
constexpr int STRESS_THREADS = 4;

class Stress_owner : public Tevent_resource {
public:
    Tmy_event records[STRESS_THREADS];
    std::atomic<int> raised[STRESS_THREADS] = {};
    std::atomic<int> observed[STRESS_THREADS] = {};
    int deliveries[STRESS_THREADS] = {};
    void OnEvent(Tmy_event* event) override
    {
        size_t i = size_t(event - records);
        deliveries[i]++;
        observed[i] = raised[i].load();
    }
};

TEST_F(Queue_test, StressRaisingFromThreadsLosesNothing)
{
    constexpr int RAISES = 20000;
    Stress_owner owner;
    for (Tmy_event& record : owner.records) record.init("STRESS", &owner);

    std::atomic<int> finished{0};
    std::atomic<bool> timed_out{false};
    std::vector<std::thread> raisers;
    for (int i = 0; i < STRESS_THREADS; i++) {
        raisers.emplace_back([&, i] {
            for (int n = 1; n <= RAISES && !timed_out; n++) {
                owner.raised[i] = n;
                owner.records[i].trigger();
                if (n % 8 != 0) continue;
                auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
                while (owner.observed[i] < n && !timed_out) {
                    if (std::chrono::steady_clock::now() > deadline) timed_out = true;
                    std::this_thread::yield();
                }
            }
            finished++;
        });
    }
    int most_outstanding = 0;
    while (finished < STRESS_THREADS || outstanding() > 0) {
        most_outstanding = std::max(most_outstanding, outstanding());
        if (outstanding() > 0) deliver_one(); else std::this_thread::yield();
    }
    for (std::thread& raiser : raisers) raiser.join();

    EXPECT_FALSE(timed_out);
    EXPECT_EQ(most_outstanding, 1);
    EXPECT_TRUE(event_queue_empty());
    for (int i = 0; i < STRESS_THREADS; i++) {
        EXPECT_EQ(owner.records[i].pending, 0);
        EXPECT_EQ(owner.observed[i], RAISES);
        EXPECT_LE(owner.deliveries[i], RAISES);
    }
}

} // namespace
