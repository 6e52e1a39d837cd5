#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "link/Inprocess_port.h"
#include "link/Serial_platform.h"

// The serial resource's half for a device played inside the program. It
// behaves as the system's halves do towards the owner: "CONNECTED" on open,
// the device's bytes one read at a time (all that wait, up to the buffer's
// size), "DATA_SENT" for every write and one "DISCONNECTED" when the line
// ends, by close or by the device.
class Tserial_resource_inprocess : public Tserial_platform, private Tinprocess_port {
public:
    explicit Tserial_resource_inprocess(Tserial_resource* owner);
    ~Tserial_resource_inprocess() override;

    // Opens the device registered under the path's COM number; the line
    // settings are the device's own business.
    unsigned open(const char* device_path, int baud, int parity, uint8_t data_bits, bool modem_events,
                  uint8_t flow, uint8_t stop_bits) override;
    void close() override;

    bool device_open() const override;
    bool tx_in_progress() const override { return false; }
    bool running() const override { return device_open(); }
    void start_write(const unsigned char* bytes, unsigned length) override;
    int getRxCount() const override { return rx_count.load(); }
    unsigned char* getRxBuffer() override { return rx_buffer; }
    void rearmRead() override;

    void OnEvent(Tmy_event* event) override;

private:
    void deliver(const std::string& bytes) override;
    void hang_up() override;
    // Completes an armed read from the bytes waiting, if any. Under the mutex.
    void fill_read();

    Tserial_resource* owner;
    mutable std::mutex mutex;
    std::shared_ptr<Tinprocess_device> device;  // while open
    bool line_up = false;
    std::string inbound;
    bool read_armed = false;
    unsigned char rx_buffer[SERIAL_MAX_SIZE + 1] = {};
    std::atomic<int> rx_count{0};
};
