#include "events/Stop_signal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <thread>

// The handler only writes a byte to a pipe; a watcher thread reads it and
// calls the owner. A zero byte from the destructor ends the watcher.
class Tstop_signal_watch {
public:
    int fds[2] = {-1, -1};
    struct sigaction old_int = {};
    struct sigaction old_term = {};
    std::thread watcher;
};

namespace {

constexpr char STOP_BYTE = 1;
constexpr char END_BYTE = 0;

volatile sig_atomic_t signal_fd = -1;

void on_signal(int)
{
    const int saved = errno;
    if (signal_fd >= 0) {
        [[maybe_unused]] const ssize_t written = write(signal_fd, &STOP_BYTE, 1);
    }
    errno = saved;
}

void watch_pipe(int read_fd, Tstop_signal* owner)
{
    char byte = END_BYTE;
    for (;;) {
        const ssize_t got = read(read_fd, &byte, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0 || byte == END_BYTE) return;
        owner->notify();
    }
}

}  // namespace

Tstop_signal::Tstop_signal(std::function<void()> callback) : on_stop(std::move(callback))
{
    Tstop_signal_watch* made = new (std::nothrow) Tstop_signal_watch;
    if (!made) return;
    // A full pipe drops the byte instead of blocking the handler: the
    // watcher has enough to wake up for.
    if (pipe2(made->fds, O_CLOEXEC) != 0 || fcntl(made->fds[1], F_SETFL, O_NONBLOCK) != 0) {
        for (int fd : made->fds)
            if (fd >= 0) close(fd);
        delete made;
        return;
    }
    made->watcher = std::thread(watch_pipe, made->fds[0], this);
    signal_fd = made->fds[1];
    struct sigaction action = {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &made->old_int);
    sigaction(SIGTERM, &action, &made->old_term);
    watch = made;
}

Tstop_signal::~Tstop_signal()
{
    if (!watch) return;
    sigaction(SIGINT, &watch->old_int, nullptr);
    sigaction(SIGTERM, &watch->old_term, nullptr);
    signal_fd = -1;
    [[maybe_unused]] const ssize_t written = write(watch->fds[1], &END_BYTE, 1);
    watch->watcher.join();
    for (int fd : watch->fds) close(fd);
    delete watch;
}
