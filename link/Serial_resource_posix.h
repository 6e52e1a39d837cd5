#pragma once
#include <atomic>
#include <cstdint>
#include <thread>

#include "events/Event_resource.h"

class Tserial_resource;

constexpr int SERIAL_MAX_SIZE = 256;

// Result bits of open.
constexpr unsigned SERIAL_NO_PLATFORM = 0x1;
constexpr unsigned SERIAL_NO_PATH = 0x2;
constexpr unsigned SERIAL_MASK_FAILED_MODEM = 0x4;
constexpr unsigned SERIAL_MASK_FAILED = 0x8;
constexpr unsigned SERIAL_TIMEOUTS_FAILED = 0x10;
constexpr unsigned SERIAL_SETTINGS_FAILED = 0x20;
constexpr unsigned SERIAL_OPEN_FAILED = 0x40;
constexpr unsigned SERIAL_NO_WAIT_HANDLE = 0x100;

// The device half of the serial resource: one open tty and the worker
// thread that reads it one byte at a time, writes one buffer at a time and,
// on request, watches the modem lines. The worker only raises this object's
// records; their delivery on the GUI thread passes them to the owner.
class Tserial_resource_posix : public Tevent_resource {
public:
    explicit Tserial_resource_posix(Tserial_resource* owner);
    ~Tserial_resource_posix() override;

    Tmy_event ev_connected;
    Tmy_event ev_disconnected;
    Tmy_event ev_data_arrival;
    Tmy_event ev_data_sent;
    Tmy_event ev_ring;
    Tmy_event ev_cd_on;
    Tmy_event ev_cd_off;

    // Stops a running worker, opens and configures the device and starts a
    // new worker. Returns the result bits (0 = success).
    unsigned open(const char* device_path, int baud, int parity, uint8_t data_bits, bool modem_events,
                  uint8_t flow, uint8_t stop_bits);
    // Asks the worker to stop and waits for it.
    void close();

    bool device_open() const { return device.load() >= 0; }
    bool tx_in_progress() const { return tx_busy.load(); }
    bool running() const { return worker_running.load(); }
    // Hands bytes (at most SERIAL_MAX_SIZE) to the worker; the caller has
    // checked that no write is in progress and the device is open.
    void start_write(const unsigned char* bytes, unsigned length);
    int getRxCount() const { return rx_count.load(); }
    unsigned char* getRxBuffer() { return rx_buffer; }
    void rearmRead();

    void OnEvent(Tmy_event* event) override;

private:
    enum Trequest : unsigned { STOP_REQUEST = 1, READ_REQUEST = 2, WRITE_REQUEST = 4, MODEM_REQUEST = 8 };

    void request(unsigned what);
    void stop_worker();
    void worker_main();
    // One pass over the requests and the device's readiness, in the worker's
    // fixed order. Returns false when the worker must end.
    bool serve(short device_events);
    unsigned configure(int fd, int baud, int parity, uint8_t data_bits, uint8_t flow, uint8_t stop_bits);
    bool read_one();
    bool write_some();
    void poll_modem_lines();
    void log_modem_event(uint32_t mask, uint32_t status);

    Tserial_resource* owner;
    // Carries a modem-line change to the GUI thread, where it is logged and
    // reported as "RING", "CD_ON" or "CD_OFF".
    Tmy_event ev_modem_status;

    std::atomic<bool> worker_running{false};
    bool modem_events = false;
    int wake_fd = -1;
    std::atomic<unsigned> requests{0};
    std::thread worker;

    std::atomic<int> device{-1};
    // Worker-only state.
    bool read_pending = false;
    bool write_pending = false;
    bool modem_wait_pending = false;
    unsigned tx_written = 0;
    int last_modem_lines = -1;

    unsigned char rx_buffer[SERIAL_MAX_SIZE + 1] = {};
    int rx_request = 1;
    std::atomic<int> rx_count{0};
    unsigned char tx_buffer[SERIAL_MAX_SIZE] = {};
    unsigned tx_length = 0;
    std::atomic<bool> tx_busy{false};
    std::atomic<uint32_t> modem_mask{0};
    std::atomic<uint32_t> modem_status{0};
};
