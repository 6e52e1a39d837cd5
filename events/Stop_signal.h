#pragma once
#include <atomic>
#include <functional>

class Tstop_signal_watch;

// Turns the operating system's requests to end the program (Ctrl+C and
// SIGTERM; on Windows also Ctrl+Break and closing the console) into a flag
// and a call of on_stop, made on a thread of its own, never in a signal
// handler, so on_stop may take locks and post to other threads. Every
// request calls it again. One instance at a time; while it lives, those
// requests no longer end the process. Its destructor puts the earlier
// handling back.
class Tstop_signal {
public:
    explicit Tstop_signal(std::function<void()> on_stop);
    ~Tstop_signal();
    Tstop_signal(const Tstop_signal&) = delete;
    Tstop_signal& operator=(const Tstop_signal&) = delete;

    // False when the handling could not be installed: the requests then end
    // the process as before.
    bool installed() const { return watch != nullptr; }
    bool requested() const { return was_requested.load(); }

    // Called by the platform half on its own thread.
    void notify()
    {
        was_requested.store(true);
        if (on_stop) on_stop();
    }

private:
    std::function<void()> on_stop;
    std::atomic<bool> was_requested{false};
    Tstop_signal_watch* watch = nullptr;
};
