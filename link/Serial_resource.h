#pragma once
#include <cstdint>

#include "events/Event_resource.h"
#include "link/Serial_platform.h"

// The event source that owns one serial port. Reports "CONNECTED",
// "DISCONNECTED", "DATA_ARRIVAL", "DATA_SENT", "RING", "CD_ON" and "CD_OFF"
// to its listener, always on the GUI thread; the listener tells them apart
// by the record's address.
class Tserial_resource : public Tevent_resource {
public:
    Tserial_resource();
    ~Tserial_resource() override;

    Tmy_event ev_cancel;
    Tmy_event ev_success;
    Tmy_event ev_cancelled;
    Tmy_event ev_data_arrival;
    Tmy_event ev_data_sent;
    Tmy_event ev_connected;
    Tmy_event ev_disconnected;
    Tmy_event ev_error;
    Tmy_event ev_ring;
    Tmy_event ev_cd_on;
    Tmy_event ev_cd_off;

    // parity 0 none, 1 odd, 2 even; flow 1-4 as the line-settings table,
    // any other value RTS and DTR on without handshake. Returns the result
    // bits of Serial_platform.h, 0 = success.
    unsigned open(const char* device_path, int baud, int parity, uint8_t data_bits, bool modem_events,
                  uint8_t flow, uint8_t stop_bits);
    // True when rejected.
    bool sendData(const unsigned char* bytes, unsigned length);
    // The bytes of the last completed read, valid until rearmRead.
    int getRxCount();
    unsigned char* getRxBuffer();
    void rearmRead();
    void close();

    void OnEvent(Tmy_event* event) override;

    // The half in use: the system's, or the one for a device played inside
    // the program while such a port is open. Null when it could not be
    // made; every operation then fails or does nothing.
    Tserial_platform* platform;

private:
    Tserial_platform* system_half;
    Tserial_platform* inprocess_half;
};
