#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "events/Delay_resource.h"
#include "events/Event_pump.h"
#include "events/Event_resource.h"
#include "events/Sequence.h"

namespace {

using Tclock = std::chrono::steady_clock;

// Records what it is handed and when; then runs the step, if any.
class Listener : public Tsequence {
public:
    struct Report {
        const Tmy_event* event;
        long long at_ms;
    };
    std::vector<Report> reports;
    Tclock::time_point origin = Tclock::now();
    std::function<void(Tmy_event*)> step;

    void OnEvent(Tmy_event* event) override
    {
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Tclock::now() - origin);
        reports.push_back({event, elapsed.count()});
        if (step) step(event);
    }
    std::vector<const Tmy_event*> events() const
    {
        std::vector<const Tmy_event*> seen;
        for (const Report& report : reports) seen.push_back(report.event);
        return seen;
    }
};

class Event_pump_test : public ::testing::Test {
protected:
    // Runs the pump on the test's thread; a guard stops it after a second
    // so that a fault fails the test instead of hanging it.
    long long run_pump()
    {
        const Tclock::time_point begin = Tclock::now();
        std::thread guard([this] {
            for (int i = 0; i < 100 && !pump.stop_requested(); i++)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            pump.stop();
        });
        pump.run();
        guard.join();
        return std::chrono::duration_cast<std::chrono::milliseconds>(Tclock::now() - begin).count();
    }

    Tevent_pump pump;
    Listener listener;
};

TEST_F(Event_pump_test, TimersExpireInTheOrderTheyAreDueOnTheSteadyClock)
{
    Tdelay_resource late, early, middle;
    for (Tdelay_resource* delay : {&late, &early, &middle}) delay->connect(&listener);
    late.setDelay(90);
    early.setDelay(30);
    middle.setDelay(60);
    listener.step = [&](Tmy_event* event) {
        if (event == &late.ev_success) pump.stop();
    };
    run_pump();
    ASSERT_EQ(listener.events(),
              (std::vector<const Tmy_event*>{&early.ev_success, &middle.ev_success, &late.ev_success}));
    EXPECT_GE(listener.reports[0].at_ms, 30);
    EXPECT_GE(listener.reports[1].at_ms, 60);
    EXPECT_GE(listener.reports[2].at_ms, 90);
    EXPECT_LT(listener.reports[2].at_ms, 500);
    EXPECT_FALSE(late.running());
}

TEST_F(Event_pump_test, ArmingTwiceStoppingAndRearmingFromTheReport)
{
    Tdelay_resource tick, stopped;
    tick.connect(&listener);
    stopped.connect(&listener);
    stopped.setDelay(20);
    stopped.stop();
    int ticks_left = 3;
    listener.step = [&](Tmy_event*) {
        if (--ticks_left > 0) tick.setDelay(20);
        else pump.stop();
    };
    tick.setDelay(20);
    tick.setDelay(20);
    run_pump();
    EXPECT_EQ(listener.events(), (std::vector<const Tmy_event*>(3, &tick.ev_success)));
    EXPECT_GE(listener.reports.back().at_ms, 60);
}

TEST_F(Event_pump_test, ZeroDelayComesThroughTheQueueBehindWaitingRecords)
{
    Tdelay_resource delay;
    delay.connect(&listener);
    Tmy_event earlier;
    earlier.init("EARLIER", &listener);
    earlier.trigger();
    delay.setDelay(0);
    EXPECT_TRUE(listener.reports.empty());
    listener.step = [&](Tmy_event* event) {
        if (event == &delay.ev_success) pump.stop();
    };
    run_pump();
    EXPECT_EQ(listener.events(), (std::vector<const Tmy_event*>{&earlier, &delay.ev_success}));
}

TEST_F(Event_pump_test, ARaiseFromAnotherThreadWakesTheWaitingPump)
{
    Tmy_event raised;
    raised.init("RAISED", &listener);
    listener.step = [&](Tmy_event*) { pump.stop(); };
    std::thread raiser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        raised.trigger();
    });
    const long long took = run_pump();
    raiser.join();
    EXPECT_EQ(listener.events(), std::vector<const Tmy_event*>{&raised});
    EXPECT_LT(took, 500);
}

// Raises its own record again from every delivery: the queue is never empty.
class Busy : public Tevent_resource {
public:
    Busy() { ev_busy.init("BUSY", this); }
    void OnEvent(Tmy_event*) override
    {
        deliveries++;
        ev_busy.trigger();
    }
    Tmy_event ev_busy;
    long deliveries = 0;
};

TEST_F(Event_pump_test, ABusyQueueDoesNotHoldTimersBack)
{
    Busy busy;
    Tdelay_resource delay;
    delay.connect(&listener);
    listener.step = [&](Tmy_event*) { pump.stop(); };
    busy.ev_busy.trigger();
    delay.setDelay(20);
    const long long took = run_pump();
    EXPECT_EQ(listener.events(), std::vector<const Tmy_event*>{&delay.ev_success});
    EXPECT_GT(busy.deliveries, 0);
    EXPECT_LT(took, 500);
}

TEST_F(Event_pump_test, StopFromAnotherThreadEndsIt)
{
    std::atomic<bool> stop_sent{false};
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        stop_sent = true;
        pump.stop();
    });
    pump.run();
    EXPECT_TRUE(stop_sent) << "returned before it was stopped";
    stopper.join();
    EXPECT_TRUE(pump.stop_requested());
}

TEST(Event_pump, StopBeforeRunReturnsAtOnce)
{
    Tevent_pump pump;
    pump.stop();
    pump.run();
    EXPECT_TRUE(pump.stop_requested());
}

TEST(Event_pump, InstallsItselfWhileItLives)
{
    {
        Tevent_pump pump;
        EXPECT_EQ(timer_service(), &pump);
        Tdelay_resource delay;
        delay.setDelay(1000);
        EXPECT_TRUE(delay.running());
    }
    EXPECT_EQ(timer_service(), nullptr);
    Tdelay_resource unarmed;
    unarmed.setDelay(10);
    EXPECT_FALSE(unarmed.running());
}

}  // namespace
