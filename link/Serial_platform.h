#pragma once
#include <cstdint>

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

// Modem-event and modem-status bits, with the values of the Windows
// communications API, as the modem-event log lines name them.
constexpr uint32_t MODEM_EV_RXCHAR = 0x01;
constexpr uint32_t MODEM_EV_RXFLAG = 0x02;
constexpr uint32_t MODEM_EV_TXEMPTY = 0x04;
constexpr uint32_t MODEM_EV_CTS = 0x08;
constexpr uint32_t MODEM_EV_DSR = 0x10;
constexpr uint32_t MODEM_EV_RLSD = 0x20;
constexpr uint32_t MODEM_EV_BREAK = 0x40;
constexpr uint32_t MODEM_EV_ERR = 0x80;
constexpr uint32_t MODEM_EV_RING = 0x100;
constexpr uint32_t MODEM_MS_RING_ON = 0x40;
constexpr uint32_t MODEM_MS_RLSD_ON = 0x80;

// The device half of the serial resource, one per platform: the open port
// and its worker thread. The worker only raises these records; their
// delivery on the GUI thread passes them to the owner.
class Tserial_platform : public Tevent_resource {
public:
    Tmy_event ev_connected;
    Tmy_event ev_disconnected;
    Tmy_event ev_data_arrival;
    Tmy_event ev_data_sent;
    Tmy_event ev_ring;
    Tmy_event ev_cd_on;
    Tmy_event ev_cd_off;

    // Stops a running worker, opens and configures the device and starts a
    // new worker. Returns the result bits (0 = success).
    virtual unsigned open(const char* device_path, int baud, int parity, uint8_t data_bits, bool modem_events,
                          uint8_t flow, uint8_t stop_bits) = 0;
    // Asks the worker to stop and waits for it.
    virtual void close() = 0;
    virtual bool device_open() const = 0;
    virtual bool tx_in_progress() const = 0;
    virtual bool running() const = 0;
    // Hands bytes (at most SERIAL_MAX_SIZE) to the worker; the caller has
    // checked that no write is in progress and the device is open.
    virtual void start_write(const unsigned char* bytes, unsigned length) = 0;
    virtual int getRxCount() const = 0;
    virtual unsigned char* getRxBuffer() = 0;
    virtual void rearmRead() = 0;

protected:
    // On the GUI thread, never the worker's: one log line for each event and
    // status bit, then "RING" and "CD_ON" / "CD_OFF" to the owner.
    void report_modem_event(Tevent_resource* owner, uint32_t mask, uint32_t status);
};

// The platform's half, named and owned by the caller; null when it cannot be made.
Tserial_platform* new_serial_platform(Tserial_resource* owner);
