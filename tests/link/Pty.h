#pragma once
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "Event_pump.h"

// The far end of a pseudo-terminal pair: the test plays the instrument on
// the master side; the code under test opens the slave path.
class Tpty {
public:
    Tpty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return;
        slave_path = ptsname(master);
        termios tio;
        tcgetattr(master, &tio);
        cfmakeraw(&tio);
        tcsetattr(master, TCSANOW, &tio);
    }
    ~Tpty() { close_master(); }
    Tpty(const Tpty&) = delete;
    Tpty& operator=(const Tpty&) = delete;

    bool ok() const { return master >= 0 && !slave_path.empty(); }
    void write_text(const std::string& text) const {
        if (write(master, text.data(), text.size()) != ssize_t(text.size()))
            abort();
    }
    // What the slave side wrote, waiting up to timeout_ms for want bytes.
    std::string read_bytes(size_t want, int timeout_ms = 2000) const {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (got.size() < want && std::chrono::steady_clock::now() < end) {
            pollfd p = {master, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
                continue;
            char buffer[512];
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, size_t(n));
        }
        return got;
    }
    void close_master() {
        if (master >= 0)
            close(master);
        master = -1;
    }

    int master = -1;
    std::string slave_path;
};
