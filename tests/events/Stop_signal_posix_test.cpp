#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

#include "events/Stop_signal.h"

namespace {

bool wait_for(const std::function<bool()>& done)
{
    for (int i = 0; i < 200 && !done(); i++) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return done();
}

TEST(Stop_signal_posix, InterruptAndTerminateCallBackOnAThreadOfItsOwn)
{
    std::atomic<int> calls{0};
    std::atomic<bool> on_caller_thread{false};
    const std::thread::id caller = std::this_thread::get_id();
    {
        Tstop_signal stop([&] {
            if (std::this_thread::get_id() == caller) on_caller_thread = true;
            calls++;
        });
        ASSERT_TRUE(stop.installed());
        EXPECT_FALSE(stop.requested());
        std::raise(SIGTERM);
        EXPECT_TRUE(wait_for([&] { return calls == 1; }));
        EXPECT_TRUE(stop.requested());
        std::raise(SIGINT);
        EXPECT_TRUE(wait_for([&] { return calls == 2; }));
    }
    EXPECT_FALSE(on_caller_thread);
    // The earlier handling is back once it is gone.
    for (int signal : {SIGINT, SIGTERM}) {
        const auto current = std::signal(signal, SIG_DFL);
        EXPECT_EQ(current, SIG_DFL) << signal;
    }
}

TEST(Stop_signal_posix, AHandlerInstalledBeforeIsPutBack)
{
    const auto ignored = std::signal(SIGTERM, SIG_IGN);
    {
        Tstop_signal stop(nullptr);
        std::raise(SIGTERM);
        EXPECT_TRUE(wait_for([&] { return stop.requested(); }));
    }
    EXPECT_EQ(std::signal(SIGTERM, ignored), SIG_IGN);
}

}  // namespace
