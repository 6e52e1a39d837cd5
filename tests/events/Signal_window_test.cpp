#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <vector>

#include "events/Delay_resource.h"
#include "events/Event_resource.h"
#include "events/Wsignal.h"

namespace {

// Records the reports of the delays it listens to, with their arrival time.
class Listener : public Tsequence {
public:
    struct Report {
        const Tmy_event* event;
        qint64 at_ms;
    };
    std::vector<Report> reports;
    QElapsedTimer clock;
    Tdelay_resource* rearm = nullptr;
    int rearms_left = 0;

    Listener() { clock.start(); }
    void OnEvent(Tmy_event* event) override
    {
        reports.push_back({event, clock.elapsed()});
        if (rearm && rearms_left-- > 0) rearm->setDelay(30);
    }
    std::vector<const Tmy_event*> events() const
    {
        std::vector<const Tmy_event*> seen;
        for (const Report& report : reports) seen.push_back(report.event);
        return seen;
    }
};

// Runs the message loop for a while.
void run_loop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class Signal_window_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        started = 0;
        window = new TSignalForm;
        window->setStartHandler([this] { started++; });
        delay.connect(&listener);
    }
    void TearDown() override
    {
        delay.stop();
        delete window;
    }
    int started = 0;
    TSignalForm* window = nullptr;
    Listener listener;
    Tdelay_resource delay;
};

TEST_F(Signal_window_test, HiddenToolWindowThatStartsOnceInTheLoop)
{
    EXPECT_EQ(window->windowTitle(), "SignalForm");
    EXPECT_TRUE(window->windowFlags() & Qt::Tool);
    EXPECT_EQ(started, 0);
    run_loop(20);
    EXPECT_EQ(started, 1);
    EXPECT_FALSE(window->isVisible());
    run_loop(20);
    EXPECT_EQ(started, 1);
}

TEST_F(Signal_window_test, ArmingTwiceGivesOneSuccess)
{
    delay.setDelay(100);
    delay.setDelay(100);
    EXPECT_TRUE(delay.running());
    run_loop(400);
    ASSERT_EQ(listener.events(), std::vector<const Tmy_event*>{&delay.ev_success});
    EXPECT_GE(listener.reports[0].at_ms, 90);
    EXPECT_LT(listener.reports[0].at_ms, 300);
    EXPECT_FALSE(delay.running());
}

TEST_F(Signal_window_test, ZeroGoesThroughTheQueueBehindWaitingRecords)
{
    Tmy_event earlier;
    earlier.init("EARLIER", &listener);
    earlier.trigger();
    delay.setDelay(0);
    EXPECT_TRUE(listener.reports.empty());
    run_loop(20);
    EXPECT_EQ(listener.events(), (std::vector<const Tmy_event*>{&earlier, &delay.ev_success}));
}

TEST_F(Signal_window_test, ZeroWhileATimerRunsReportsTwice)
{
    delay.setDelay(50);
    delay.setDelay(0);
    run_loop(200);
    EXPECT_EQ(listener.events(), (std::vector<const Tmy_event*>{&delay.ev_success, &delay.ev_success}));
}

TEST_F(Signal_window_test, StopBeforeExpiryReportsNothingAndCanRearm)
{
    delay.setDelay(50);
    delay.stop();
    EXPECT_FALSE(delay.running());
    run_loop(150);
    EXPECT_TRUE(listener.reports.empty());
    delay.setDelay(30);
    run_loop(150);
    EXPECT_EQ(listener.events().size(), 1u);
}

TEST_F(Signal_window_test, CancelReportsCancelledAndKeepsTheTimer)
{
    delay.setDelay(80);
    delay.ev_cancel.trigger();
    run_loop(20);
    EXPECT_EQ(listener.events(), std::vector<const Tmy_event*>{&delay.ev_cancelled});
    EXPECT_TRUE(delay.running());
    run_loop(200);
    EXPECT_EQ(listener.events(), (std::vector<const Tmy_event*>{&delay.ev_cancelled, &delay.ev_success}));
}

// The tick pattern: the listener re-arms from inside the report.
TEST_F(Signal_window_test, RearmingFromTheReportTicks)
{
    listener.rearm = &delay;
    listener.rearms_left = 2;
    delay.setDelay(30);
    run_loop(300);
    EXPECT_EQ(listener.events().size(), 3u);
    EXPECT_FALSE(delay.running());
}

TEST_F(Signal_window_test, NoListenerConsumesExpiries)
{
    Tdelay_resource lonely;
    lonely.setDelay(20);
    run_loop(80);
    EXPECT_FALSE(lonely.running());
}

TEST(Signal_window, WithoutAWindowNothingIsArmed)
{
    Tdelay_resource delay;
    delay.setDelay(10);
    EXPECT_FALSE(delay.running());
}

} // namespace

int main(int argc, char** argv)
{
    // Test discovery runs this program without CTest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
