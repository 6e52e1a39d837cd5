#include "events/Stop_signal.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

// The system calls the console handler on a thread of its own, so nothing
// is kept beyond the registration.
class Tstop_signal_watch {};

namespace {

// Closing the console, logging off and shutting down end the process as
// soon as the handler returns; the system allows it about five seconds.
constexpr std::chrono::milliseconds CLOSE_GRACE{4500};

std::mutex owner_lock;
std::condition_variable owner_gone;
Tstop_signal* owner = nullptr;

BOOL WINAPI on_console_event(DWORD kind)
{
    std::unique_lock<std::mutex> guard(owner_lock);
    if (!owner) return FALSE;
    owner->notify();
    if (kind == CTRL_C_EVENT || kind == CTRL_BREAK_EVENT) return TRUE;
    // Gives the owner the time to finish and go before the process ends.
    owner_gone.wait_for(guard, CLOSE_GRACE, [] { return owner == nullptr; });
    return TRUE;
}

}  // namespace

Tstop_signal::Tstop_signal(std::function<void()> callback) : on_stop(std::move(callback))
{
    Tstop_signal_watch* made = new (std::nothrow) Tstop_signal_watch;
    if (!made) return;
    {
        std::lock_guard<std::mutex> guard(owner_lock);
        owner = this;
    }
    if (!SetConsoleCtrlHandler(on_console_event, TRUE)) {
        std::lock_guard<std::mutex> guard(owner_lock);
        owner = nullptr;
        delete made;
        return;
    }
    watch = made;
}

Tstop_signal::~Tstop_signal()
{
    if (!watch) return;
    {
        std::lock_guard<std::mutex> guard(owner_lock);
        owner = nullptr;
    }
    owner_gone.notify_all();
    SetConsoleCtrlHandler(on_console_event, FALSE);
    delete watch;
}
