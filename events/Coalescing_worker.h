#pragma once
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Runs a piece of work on a thread of its own whenever it is woken. Wakes
// that arrive while the work runs are served by one more run: the caller
// never waits for the work, and the work never falls behind by more than
// one run.
class Tcoalescing_worker {
public:
    explicit Tcoalescing_worker(std::function<void()> work);
    // Finishes a run that was asked for, then ends the thread.
    ~Tcoalescing_worker();
    Tcoalescing_worker(const Tcoalescing_worker&) = delete;
    Tcoalescing_worker& operator=(const Tcoalescing_worker&) = delete;

    void wake();
    // Blocks until every run asked for so far has finished.
    void wait_idle();

private:
    void run();

    std::function<void()> work;
    std::mutex lock;
    std::condition_variable changed;
    bool wanted = false;
    bool working = false;
    bool stopping = false;
    std::thread thread;
};
