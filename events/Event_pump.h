#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

#include "events/Delay_resource.h"

// The signal window's work without a window, for programs that run without
// windows: the thread that calls run delivers the queued events one wake-up
// at a time and expires the delay resources' timers on the steady clock.
// While it exists it is the queue's wake-up and the timer service, so the
// masters run as they do under the signal window. One instance at a time.
class Tevent_pump : public Ttimer_service {
public:
    Tevent_pump();
    ~Tevent_pump() override;
    Tevent_pump(const Tevent_pump&) = delete;
    Tevent_pump& operator=(const Tevent_pump&) = delete;

    // Delivers and expires until stop has been asked for; a stop asked
    // before the call makes it return at once.
    void run();
    // Any thread: run returns once the delivery in progress is done.
    void stop();
    bool stop_requested() const;

    uintptr_t start_timer(Tdelay_resource* delay, unsigned ms) override;
    void kill_timer(uintptr_t timer_id) override;

    // The wake-up hook's work: one more delivery is owed. Any thread.
    void wake();

private:
    using Tclock = std::chrono::steady_clock;
    // Ordered by due time, then by arming: equal times expire in the
    // order they were armed.
    using Tdue = std::pair<Tclock::time_point, uintptr_t>;

    // Waits for work; false when stopped. Sets *delay to an expired timer's
    // delay, or leaves it null for one delivery from the queue.
    bool next_work(Tdelay_resource** delay);

    mutable std::mutex lock;
    std::condition_variable changed;
    bool stopping = false;
    unsigned wakes_owed = 0;
    std::map<Tdue, Tdelay_resource*> timers;
    std::map<uintptr_t, Tclock::time_point> due_of;
};
