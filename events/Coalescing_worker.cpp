#include "events/Coalescing_worker.h"

Tcoalescing_worker::Tcoalescing_worker(std::function<void()> work) : work(std::move(work))
{
    thread = std::thread([this] { run(); });
}

Tcoalescing_worker::~Tcoalescing_worker()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    changed.notify_all();
    thread.join();
}

void Tcoalescing_worker::wake()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        wanted = true;
    }
    changed.notify_all();
}

void Tcoalescing_worker::wait_idle()
{
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [this] { return !wanted && !working; });
}

void Tcoalescing_worker::run()
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        changed.wait(guard, [this] { return wanted || stopping; });
        if (!wanted) return;
        wanted = false;
        working = true;
        guard.unlock();
        work();
        guard.lock();
        working = false;
        changed.notify_all();
    }
}
