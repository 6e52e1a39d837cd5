#include "events/Event_pump.h"

#include <atomic>

#include "events/Event_resource.h"

namespace {

// The wake-up hook runs on any thread; the lock keeps it from reaching a
// pump that is being destroyed.
std::mutex installed_lock;
Tevent_pump* installed_pump = nullptr;

// Timer ids are never reused within the process, so a delay still holding
// the id of an earlier pump cannot kill a timer of a later one.
std::atomic<uintptr_t> last_timer_id{0};

void wake_installed_pump()
{
    std::lock_guard<std::mutex> guard(installed_lock);
    if (installed_pump) installed_pump->wake();
}

}  // namespace

// The queue starts empty, as under the signal window.
Tevent_pump::Tevent_pump()
{
    {
        std::lock_guard<std::mutex> guard(installed_lock);
        installed_pump = this;
    }
    event_queue_reset();
    set_wake_hook(wake_installed_pump);
    set_timer_service(this);
}

Tevent_pump::~Tevent_pump()
{
    if (timer_service() == this) set_timer_service(nullptr);
    std::lock_guard<std::mutex> guard(installed_lock);
    if (installed_pump != this) return;
    set_wake_hook(nullptr);
    installed_pump = nullptr;
}

void Tevent_pump::run()
{
    Tdelay_resource* delay = nullptr;
    while (next_work(&delay)) {
        if (delay) delay->expired();
        else OnCustomEventHandler();
    }
}

void Tevent_pump::stop()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    changed.notify_all();
}

bool Tevent_pump::stop_requested() const
{
    std::lock_guard<std::mutex> guard(lock);
    return stopping;
}

void Tevent_pump::wake()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        wakes_owed++;
    }
    changed.notify_all();
}

uintptr_t Tevent_pump::start_timer(Tdelay_resource* delay, unsigned ms)
{
    if (!delay) return 0;
    const uintptr_t id = ++last_timer_id;
    const Tclock::time_point due = Tclock::now() + std::chrono::milliseconds(ms);
    {
        std::lock_guard<std::mutex> guard(lock);
        timers.emplace(Tdue{due, id}, delay);
        due_of.emplace(id, due);
    }
    changed.notify_all();
    return id;
}

void Tevent_pump::kill_timer(uintptr_t timer_id)
{
    std::lock_guard<std::mutex> guard(lock);
    const auto found = due_of.find(timer_id);
    if (found == due_of.end()) return;
    timers.erase(Tdue{found->second, timer_id});
    due_of.erase(found);
}

// A timer that is due goes before the queue: a handler that keeps raising
// events cannot hold the clock back, while an expiry re-arms only into the
// future and so cannot hold the queue back.
bool Tevent_pump::next_work(Tdelay_resource** delay)
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        if (stopping) return false;
        if (!timers.empty() && timers.begin()->first.first <= Tclock::now()) {
            const auto first = timers.begin();
            *delay = first->second;
            due_of.erase(first->first.second);
            timers.erase(first);
            return true;
        }
        if (wakes_owed > 0) {
            wakes_owed--;
            *delay = nullptr;
            return true;
        }
        if (timers.empty()) changed.wait(guard);
        else changed.wait_until(guard, timers.begin()->first.first);
    }
}
