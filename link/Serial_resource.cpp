#include "link/Serial_resource.h"

#include "events/My_string.h"
#include "link/Inprocess_port.h"
#include "link/Serial_resource_inprocess.h"

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
    system_half = new_serial_platform(this);
    inprocess_half = new Tserial_resource_inprocess(this);
    for (Tserial_platform* half : {system_half, inprocess_half})
        if (half)
            half->connect(this);
    platform = system_half;
}

Tserial_resource::~Tserial_resource() {
    for (Tserial_platform* half : {system_half, inprocess_half}) {
        if (half)
            half->close();
        delete half;
    }
}

unsigned Tserial_resource::open(const char* device_path, int baud, int parity, uint8_t data_bits,
                                bool modem_events, uint8_t flow, uint8_t stop_bits) {
    if (!device_path)
        return SERIAL_NO_PATH | (platform ? 0 : SERIAL_NO_PLATFORM);
    // The half left closes first, so its "DISCONNECTED" comes before
    // anything of the new device, as within one half.
    Tserial_platform* wanted = inprocess_device(serial_port_number(device_path)) ? inprocess_half : system_half;
    if (platform && wanted != platform)
        platform->close();
    platform = wanted;
    if (!platform)
        return SERIAL_NO_PLATFORM;
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
    if (!listener)
        return;
    for (Tserial_platform* half : {system_half, inprocess_half}) {
        if (!half)
            continue;
        const struct {
            Tmy_event* from;
            Tmy_event* to;
        } reports[] = {{&half->ev_connected, &ev_connected},       {&half->ev_disconnected, &ev_disconnected},
                       {&half->ev_data_arrival, &ev_data_arrival}, {&half->ev_data_sent, &ev_data_sent},
                       {&half->ev_ring, &ev_ring},                 {&half->ev_cd_on, &ev_cd_on},
                       {&half->ev_cd_off, &ev_cd_off}};
        for (const auto& report : reports)
            if (event == report.from) {
                listener->OnEvent(report.to);
                return;
            }
    }
}
