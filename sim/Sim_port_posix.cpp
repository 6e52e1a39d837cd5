#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "sim/Port_link.h"
#include "sim/Sim_port.h"
#include "sim/Zeta_simulator.h"

namespace {

constexpr int WRITE_PATIENCE_MS = 2000;  // a reader that never reads loses the answer

// The master side of a pseudo-terminal. The slave side is held open too, so
// that the terminal keeps its settings between the program's opens.
class Tterminal_line : public Tsim_line {
public:
    ~Tterminal_line() override {
        hang_up();
        for (int& fd : wake_pipe)
            if (fd >= 0) close(fd);
    }

    bool open_terminal(std::string* error) {
        master_fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_fd < 0) return fail(error, "posix_openpt");
        char name[128] = {};
        if (grantpt(master_fd) != 0 || unlockpt(master_fd) != 0 || ptsname_r(master_fd, name, sizeof name) != 0)
            return fail(error, "pseudo-terminal set-up");
        fcntl(master_fd, F_SETFD, FD_CLOEXEC);
        fcntl(master_fd, F_SETFL, fcntl(master_fd, F_GETFL) | O_NONBLOCK);
        slave_fd = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios mode{};
        if (slave_fd < 0 || tcgetattr(slave_fd, &mode) != 0) return fail(error, name);
        cfmakeraw(&mode);
        cfsetispeed(&mode, B9600);
        cfsetospeed(&mode, B9600);
        tcsetattr(slave_fd, TCSANOW, &mode);
        if (pipe2(wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return fail(error, "pipe");
        path = name;
        return true;
    }

    void wait(int timeout_ms, std::string* bytes) override {
        pollfd fds[2] = {{master_fd, POLLIN, 0}, {wake_pipe[0], POLLIN, 0}};
        if (poll(fds, 2, timeout_ms) < 0) return;
        if (fds[1].revents & POLLIN) {
            char drain[64];
            while (read(wake_pipe[0], drain, sizeof drain) > 0) {
            }
        }
        if (fds[0].revents & POLLIN) {
            char got[256];
            const ssize_t count = read(master_fd, got, sizeof got);
            if (count > 0) bytes->append(got, std::size_t(count));
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            // No program has the terminal open: nothing to wait for but time.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    void wake() override {
        if (wake_pipe[1] < 0) return;
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(wake_pipe[1], &byte, 1);
    }

    void write(const std::string& bytes) override {
        using Tclock = std::chrono::steady_clock;
        std::size_t done = 0;
        const auto give_up = Tclock::now() + std::chrono::milliseconds(WRITE_PATIENCE_MS);
        while (done < bytes.size() && Tclock::now() < give_up) {
            const ssize_t count = ::write(master_fd, bytes.data() + done, bytes.size() - done);
            if (count > 0) {
                done += std::size_t(count);
                continue;
            }
            if (count < 0 && errno != EAGAIN && errno != EINTR) return;
            pollfd out = {master_fd, POLLOUT, 0};
            poll(&out, 1, 50);
        }
    }

    void hang_up() override {
        for (int* fd : {&master_fd, &slave_fd}) {
            if (*fd >= 0) close(*fd);
            *fd = -1;
        }
    }

    std::string name() const override { return path; }

private:
    bool fail(std::string* error, const char* what) {
        if (error) *error = std::string(what) + ": " + std::strerror(errno);
        hang_up();
        return false;
    }

    int master_fd = -1;
    int slave_fd = -1;
    int wake_pipe[2] = {-1, -1};
    std::string path;
};

}  // namespace

std::unique_ptr<Tsim_line> open_terminal_line(std::string* error) {
    auto line = std::make_unique<Tterminal_line>();
    if (!line->open_terminal(error)) return nullptr;
    return line;
}

Tsim_port default_sim_port() { return Tsim_port::terminal; }

int start_on_terminal(Tzeta_simulator& sim, int wanted, std::string* error) {
    std::string reason;
    if (!sim.start(&reason)) {
        if (error) *error = reason;
        return -1;
    }
    const int com = link_com_port(sim.slave_path(), wanted, reason);
    if (com > 0) return com;
    sim.stop();
    if (error) *error = reason;
    return -1;
}

void stop_on_terminal(int com, Tzeta_simulator& sim) {
    if (com > 0) unlink_com_port(com, sim.slave_path());
    sim.stop();
}
