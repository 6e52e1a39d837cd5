#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "link/Serial_platform.h"

// The Windows half of the serial resource: one COM port opened for
// overlapped I/O and the worker thread that reads it one byte at a time,
// writes one buffer at a time and, on request, waits for modem events.
class Tserial_resource_win32 : public Tserial_platform {
public:
    explicit Tserial_resource_win32(Tserial_resource* owner);
    ~Tserial_resource_win32() override;

    unsigned open(const char* device_path, int baud, int parity, uint8_t data_bits, bool modem_events,
                  uint8_t flow, uint8_t stop_bits) override;
    void close() override;

    bool device_open() const override { return device.load() != INVALID_HANDLE_VALUE; }
    bool tx_in_progress() const override { return tx_busy.load(); }
    bool running() const override { return worker_running.load(); }
    void start_write(const unsigned char* bytes, unsigned length) override;
    int getRxCount() const override { return rx_count.load(); }
    unsigned char* getRxBuffer() override { return rx_buffer; }
    void rearmRead() override;

    void OnEvent(Tmy_event* event) override;

    // Asked at every idle wake-up whether the device is still there: a USB
    // adapter pulled out can leave a read pending for ever, while a status
    // call on its handle fails. Tests replace it, since Wine cannot pull one.
    using Tpresence_check = bool (*)(HANDLE device);
    static std::atomic<Tpresence_check> presence_check;

private:
    // The wait handles in their fixed order, which is also the order of the
    // worker's wait array: without modem events it waits on the first five.
    enum Twait : int {
        STOP_REQUEST,
        READ_DONE,
        READ_REQUEST,
        WRITE_DONE,
        WRITE_REQUEST,
        MODEM_DONE,
        MODEM_REQUEST,
        WAIT_HANDLES
    };

    static DWORD WINAPI worker_entry(LPVOID self);
    void worker_main();
    // One pass over the seven handles in the worker's fixed order. Returns
    // false when the worker must end.
    bool serve();
    bool signalled(Twait which) const;
    bool start_read();
    bool finish_read();
    bool start_write_request();
    bool finish_write();
    bool start_modem_wait();
    bool finish_modem_wait();
    // Lets go of the device once nothing is in flight on it any more.
    void release_device();
    void stop_worker(DWORD wait_ms);

    Tserial_resource* owner;
    // Carries a modem event to the GUI thread, where it is logged and
    // reported as "RING", "CD_ON" or "CD_OFF".
    Tmy_event ev_modem_status;

    std::atomic<bool> worker_running{false};
    bool modem_events = false;
    HANDLE waits[WAIT_HANDLES] = {};
    DWORD worker_id = 0;
    HANDLE worker = nullptr;
    std::atomic<HANDLE> device{INVALID_HANDLE_VALUE};
    OVERLAPPED read_block = {};
    OVERLAPPED write_block = {};
    OVERLAPPED modem_block = {};
    std::atomic<bool> tx_busy{false};
    // Worker-only state.
    bool read_pending = false;
    bool write_pending = false;
    bool modem_wait_pending = false;
    DWORD modem_mask = 0;

    unsigned char rx_buffer[SERIAL_MAX_SIZE + 1] = {};
    int rx_request = 1;
    std::atomic<int> rx_count{0};
    unsigned char tx_buffer[SERIAL_MAX_SIZE] = {};
    unsigned tx_length = 0;
    std::atomic<uint32_t> reported_mask{0};
    std::atomic<uint32_t> reported_status{0};
};
