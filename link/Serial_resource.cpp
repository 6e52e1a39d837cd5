#include "link/Serial_resource.h"

#include "events/My_string.h"

Tserial_resource::Tserial_resource() {
    ev_cancel.init("CANCEL", this);
    ev_success.init("SUCCESS", this);
    ev_cancelled.init("CANCELLED", this);
    ev_data_arrival.init("DATA_ARRIVAL", this);
    ev_data_sent.init("DATA_SENT", this);
    ev_connected.init("CONNECTED", this);
    ev_disconnected.init("DISCONNECTED", this);
    ev_error.init("ERROR", this);
    ev_ring.init("RING", this);
    ev_cd_on.init("CD_ON", this);
    ev_cd_off.init("CD_OFF", this);
    platform = new_serial_platform(this);
    if (platform)
        platform->connect(this);
}

Tserial_resource::~Tserial_resource() {
    close();
    delete platform;
}

unsigned Tserial_resource::open(const char* device_path, int baud, int parity, uint8_t data_bits,
                                bool modem_events, uint8_t flow, uint8_t stop_bits) {
    unsigned bits = 0;
    if (!platform)
        bits |= SERIAL_NO_PLATFORM;
    if (!device_path)
        bits |= SERIAL_NO_PATH;
    if (bits)
        return bits;
    return platform->open(device_path, baud, parity, data_bits, modem_events, flow, stop_bits);
}

bool Tserial_resource::sendData(const unsigned char* bytes, unsigned length) {
    if (!platform)
        return true;
    const bool busy = platform->tx_in_progress();
    const bool too_long = length > unsigned(SERIAL_MAX_SIZE);
    if (!busy && !too_long && bytes && platform->device_open()) {
        platform->start_write(bytes, length);
        return false;
    }
    if (busy)
        log_printf("Tserial_resource::sendData rejected : tx_in_progress");
    if (too_long)
        log_printf("Tserial_resource::sendData rejected : size>SERIAL_MAX_SIZE");
    return true;
}

int Tserial_resource::getRxCount() { return platform ? platform->getRxCount() : 0; }

unsigned char* Tserial_resource::getRxBuffer() { return platform ? platform->getRxBuffer() : nullptr; }

void Tserial_resource::rearmRead() {
    if (platform)
        platform->rearmRead();
}

void Tserial_resource::close() {
    if (platform)
        platform->close();
}

void Tserial_resource::OnEvent(Tmy_event* event) {
    if (!listener || !platform)
        return;
    const struct {
        Tmy_event* from;
        Tmy_event* to;
    } reports[] = {{&platform->ev_connected, &ev_connected},       {&platform->ev_disconnected, &ev_disconnected},
                   {&platform->ev_data_arrival, &ev_data_arrival}, {&platform->ev_data_sent, &ev_data_sent},
                   {&platform->ev_ring, &ev_ring},                 {&platform->ev_cd_on, &ev_cd_on},
                   {&platform->ev_cd_off, &ev_cd_off}};
    for (const auto& report : reports)
        if (event == report.from) {
            listener->OnEvent(report.to);
            return;
        }
}
