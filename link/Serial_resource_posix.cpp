#include "link/Serial_resource_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "events/My_string.h"
#include "link/Serial_ports_posix.h"
#include "link/Serial_resource.h"

namespace {

// The worker wakes at least this often even when nothing happens.
constexpr int IDLE_WAKE_MS = 5000;
// How often the modem lines are looked at while modem events are wanted.
constexpr int MODEM_POLL_MS = 100;

struct Tbaud {
    int rate;
    speed_t speed;
};
constexpr Tbaud BAUDS[] = {{110, B110},       {300, B300},       {600, B600},       {1200, B1200},
                           {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},
                           {38400, B38400},   {57600, B57600},   {115200, B115200}, {230400, B230400},
                           {460800, B460800}, {921600, B921600}};

bool speed_of(int baud, speed_t* speed) {
    for (const Tbaud& entry : BAUDS)
        if (entry.rate == baud) {
            *speed = entry.speed;
            return true;
        }
    return false;
}

bool size_flag_of(int data_bits, tcflag_t* flag) {
    switch (data_bits) {
    case 5: *flag = CS5; return true;
    case 6: *flag = CS6; return true;
    case 7: *flag = CS7; return true;
    case 8: *flag = CS8; return true;
    default: return false;
    }
}

// Raises or lowers modem lines; pseudo-terminals have none, so failures
// are ignored.
void set_lines(int fd, int lines, bool on) {
    if (lines)
        ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &lines);
}

// Unsent output is dropped so that closing never waits for a stalled line;
// the exclusive mode is lifted so that the port can be opened again while
// another holder (a simulator keeping its end open) still has it.
void release_device(int fd) {
    tcflush(fd, TCIOFLUSH);
    ioctl(fd, TIOCNXCL);
    ::close(fd);
}

}  // namespace

Tserial_platform* new_serial_platform(Tserial_resource* owner) {
    Tserial_platform* platform = new (std::nothrow) Tserial_resource_posix(owner);
    if (platform)
        platform->setParam("name", "srposix");
    return platform;
}

Tserial_resource_posix::Tserial_resource_posix(Tserial_resource* serial_owner) : owner(serial_owner) {
    ev_connected.init("posix_CONNECTED", this);
    ev_disconnected.init("posix_DISCONNECTED", this);
    ev_data_arrival.init("posix_DATA_ARRIVAL", this);
    ev_data_sent.init("posix_DATA_SENT", this);
    ev_ring.init("posix_RING", this);
    ev_cd_on.init("posix_CD_ON", this);
    ev_cd_off.init("posix_CD_OFF", this);
    ev_modem_status.init("posix_MODEM_STATUS", this);
    wake_fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

// The worker is joined before the base forgets this object's queued records,
// so nothing it raises can outlive the object.
Tserial_resource_posix::~Tserial_resource_posix() {
    stop_worker();
    if (wake_fd >= 0)
        ::close(wake_fd);
}

unsigned Tserial_resource_posix::configure(int fd, int baud, int parity, uint8_t data_bits, uint8_t flow,
                                           uint8_t stop_bits) {
    termios tio;
    speed_t speed;
    tcflag_t size_flag;
    if (tcgetattr(fd, &tio) != 0 || !speed_of(baud, &speed) || !size_flag_of(data_bits, &size_flag) ||
        (stop_bits != 1 && stop_bits != 2))
        return SERIAL_SETTINGS_FAILED;
    cfmakeraw(&tio);
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= size_flag | CREAD | CLOCAL;
    if (parity == 1)
        tio.c_cflag |= PARENB | PARODD;
    else if (parity == 2)
        tio.c_cflag |= PARENB;
    if (stop_bits == 2)
        tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    // With the descriptor non-blocking, a read finding nothing fails with
    // EAGAIN; a read of 0 bytes then only means the end of the stream.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;

    int lines_on = TIOCM_RTS | TIOCM_DTR;
    int lines_off = 0;
    switch (flow) {
    case 1:  // CTS/DSR handshake: RTS follows the driver's flow control
        tio.c_cflag |= CRTSCTS;
        lines_on = TIOCM_DTR;
        break;
    case 2:  // XON/XOFF
        tio.c_iflag |= IXON | IXOFF;
        tio.c_cc[VSTART] = 0x11;
        tio.c_cc[VSTOP] = 0x13;
        break;
    case 3:
        lines_on = TIOCM_DTR;
        lines_off = TIOCM_RTS;
        break;
    case 4:
        lines_on = 0;
        lines_off = TIOCM_RTS | TIOCM_DTR;
        break;
    default:
        break;
    }
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        return SERIAL_SETTINGS_FAILED;
    set_lines(fd, lines_on, true);
    set_lines(fd, lines_off, false);
    return 0;
}

unsigned Tserial_resource_posix::open(const char* device_path, int baud, int parity, uint8_t data_bits,
                                      bool want_modem_events, uint8_t flow, uint8_t stop_bits) {
    // An earlier worker ends first: it closes its own device and reports
    // its "DISCONNECTED" before anything of the new device.
    stop_worker();
    modem_events = want_modem_events;
    unsigned bits = 0;
    Tmy_string path;
    int fd = -1;
    if (serial_resolve_device(device_path, &path))
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        bits |= SERIAL_OPEN_FAILED;
    } else {
        ioctl(fd, TIOCEXCL);
        bits |= configure(fd, baud, parity, data_bits, flow, stop_bits);
    }
    if (wake_fd < 0)
        bits |= SERIAL_NO_WAIT_HANDLE;
    if (bits) {
        if (fd >= 0)
            release_device(fd);
        return bits;
    }
    device.store(fd);
    requests.store(0);
    rx_count.store(0);
    tx_busy.store(false);
    worker_running.store(true);
    worker = std::thread(&Tserial_resource_posix::worker_main, this);
    return 0;
}

void Tserial_resource_posix::request(unsigned what) {
    requests.fetch_or(what);
    const uint64_t one = 1;
    if (write(wake_fd, &one, sizeof one) < 0) {
        // The counter is saturated, so the worker is already woken.
    }
}

// The worker answers a stop request at its next wake-up, which the request
// itself causes, so the join returns at once.
void Tserial_resource_posix::stop_worker() {
    if (!worker.joinable())
        return;
    request(STOP_REQUEST);
    worker.join();
}

void Tserial_resource_posix::close() { stop_worker(); }

void Tserial_resource_posix::start_write(const unsigned char* bytes, unsigned length) {
    memcpy(tx_buffer, bytes, length);
    tx_length = length;
    tx_busy.store(true);
    request(WRITE_REQUEST);
}

void Tserial_resource_posix::rearmRead() {
    rx_count.store(0);
    request(READ_REQUEST);
}

void Tserial_resource_posix::worker_main() {
    read_pending = false;
    write_pending = false;
    modem_wait_pending = false;
    last_modem_lines = -1;
    ev_connected.trigger();
    requests.fetch_or(modem_events ? READ_REQUEST | MODEM_REQUEST : READ_REQUEST);
    const int fd = device.load();
    bool carry_on = true;
    while (carry_on) {
        pollfd watched[2] = {{wake_fd, POLLIN, 0}, {fd, 0, 0}};
        if (read_pending)
            watched[1].events |= POLLIN;
        if (write_pending)
            watched[1].events |= POLLOUT;
        const bool nothing_asked = requests.load() == 0;
        if (nothing_asked)
            poll(watched, 2, modem_wait_pending ? MODEM_POLL_MS : IDLE_WAKE_MS);
        uint64_t count;
        if (read(wake_fd, &count, sizeof count) < 0) {
            // Nothing to drain: the wake-up came from the device or the clock.
        }
        carry_on = serve(nothing_asked ? watched[1].revents : 0);
    }
    worker_running.store(false);
    release_device(fd);
    device.store(-1);
    ev_disconnected.trigger();
}

bool Tserial_resource_posix::serve(short device_events) {
    const unsigned asked = requests.exchange(0);
    bool carry_on = true;
    if (asked & STOP_REQUEST)
        carry_on = false;
    if ((asked & READ_REQUEST) && !read_pending) {
        read_pending = true;
        carry_on = read_one() && carry_on;
    } else if (read_pending && (device_events & POLLIN)) {
        carry_on = read_one() && carry_on;
    }
    if (asked & WRITE_REQUEST) {
        write_pending = true;
        tx_written = 0;
        carry_on = write_some() && carry_on;
    } else if (write_pending && (device_events & POLLOUT)) {
        carry_on = write_some() && carry_on;
    }
    if (asked & MODEM_REQUEST)
        modem_wait_pending = true;
    if (modem_wait_pending)
        poll_modem_lines();
    // A pulled adapter or a closed far end of a pseudo-terminal.
    if (device_events & (POLLHUP | POLLERR | POLLNVAL))
        carry_on = false;
    return carry_on;
}

// Reads what one read asks for, if it is there. False on an I/O error or
// the end of the stream.
bool Tserial_resource_posix::read_one() {
    const ssize_t got = read(device.load(), rx_buffer, size_t(rx_request));
    if (got > 0) {
        rx_count.store(int(got));
        read_pending = false;
        ev_data_arrival.trigger();
        return true;
    }
    return got < 0 && (errno == EAGAIN || errno == EINTR);
}

bool Tserial_resource_posix::write_some() {
    if (tx_written < tx_length) {
        const ssize_t put = write(device.load(), tx_buffer + tx_written, tx_length - tx_written);
        if (put < 0)
            return errno == EAGAIN || errno == EINTR;
        tx_written += unsigned(put);
        if (tx_written < tx_length)
            return true;
    }
    write_pending = false;
    tx_busy.store(false);
    ev_data_sent.trigger();
    return true;
}

// The lines are compared with their last reading; a change becomes a modem
// event for the GUI thread.
void Tserial_resource_posix::poll_modem_lines() {
    int lines = 0;
    if (ioctl(device.load(), TIOCMGET, &lines) != 0)
        return;
    const int before = last_modem_lines;
    last_modem_lines = lines;
    if (before < 0)
        return;
    const int changed = before ^ lines;
    uint32_t mask = 0;
    if (changed & TIOCM_CTS)
        mask |= MODEM_EV_CTS;
    if (changed & TIOCM_DSR)
        mask |= MODEM_EV_DSR;
    if (changed & TIOCM_CD)
        mask |= MODEM_EV_RLSD;
    if ((changed & TIOCM_RI) && (lines & TIOCM_RI))
        mask |= MODEM_EV_RING;
    if (!mask)
        return;
    modem_status.store(((lines & TIOCM_RI) ? MODEM_MS_RING_ON : 0) | ((lines & TIOCM_CD) ? MODEM_MS_RLSD_ON : 0));
    modem_mask.fetch_or(mask);
    ev_modem_status.trigger();
}

// Delivered on the GUI thread: the records go to the owner unchanged; a
// modem-line change is logged here, not on the worker, and then reported.
void Tserial_resource_posix::OnEvent(Tmy_event* event) {
    if (!owner)
        return;
    if (event != &ev_modem_status) {
        owner->OnEvent(event);
        return;
    }
    report_modem_event(owner, modem_mask.exchange(0), modem_status.load());
}
