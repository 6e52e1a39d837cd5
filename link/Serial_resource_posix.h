#pragma once
#include <atomic>
#include <cstdint>
#include <thread>

#include "link/Serial_platform.h"

// The POSIX half of the serial resource: one open tty and the worker thread
// that reads it one byte at a time, writes one buffer at a time and, on
// request, watches the modem lines.
class Tserial_resource_posix : public Tserial_platform {
public:
    explicit Tserial_resource_posix(Tserial_resource* owner);
    ~Tserial_resource_posix() override;

    unsigned open(const char* device_path, int baud, int parity, uint8_t data_bits, bool modem_events,
                  uint8_t flow, uint8_t stop_bits) override;
    void close() override;

    bool device_open() const override { return device.load() >= 0; }
    bool tx_in_progress() const override { return tx_busy.load(); }
    bool running() const override { return worker_running.load(); }
    void start_write(const unsigned char* bytes, unsigned length) override;
    int getRxCount() const override { return rx_count.load(); }
    unsigned char* getRxBuffer() override { return rx_buffer; }
    void rearmRead() override;

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
