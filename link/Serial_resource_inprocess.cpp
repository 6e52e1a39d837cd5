#include "link/Serial_resource_inprocess.h"

#include <cstring>

#include "link/Serial_resource.h"

Tserial_resource_inprocess::Tserial_resource_inprocess(Tserial_resource* serial_owner) : owner(serial_owner) {
    ev_connected.init("inprocess_CONNECTED", this);
    ev_disconnected.init("inprocess_DISCONNECTED", this);
    ev_data_arrival.init("inprocess_DATA_ARRIVAL", this);
    ev_data_sent.init("inprocess_DATA_SENT", this);
    ev_ring.init("inprocess_RING", this);
    ev_cd_on.init("inprocess_CD_ON", this);
    ev_cd_off.init("inprocess_CD_OFF", this);
    setParam("name", "srinprocess");
}

Tserial_resource_inprocess::~Tserial_resource_inprocess() { close(); }

unsigned Tserial_resource_inprocess::open(const char* device_path, int, int, uint8_t, bool, uint8_t, uint8_t) {
    close();
    std::shared_ptr<Tinprocess_device> wanted = inprocess_device(serial_port_number(device_path));
    if (!wanted) return SERIAL_OPEN_FAILED;
    {
        std::lock_guard lock(mutex);
        device = wanted;
        line_up = true;
        inbound.clear();
        read_armed = true;
        rx_count.store(0);
    }
    if (!wanted->attach(this)) {
        std::lock_guard lock(mutex);
        device.reset();
        line_up = false;
        return SERIAL_OPEN_FAILED;
    }
    ev_connected.trigger();
    return 0;
}

// The device is detached outside the mutex: it may be delivering at this
// moment, and attach waits for that to finish.
void Tserial_resource_inprocess::close() {
    std::shared_ptr<Tinprocess_device> closing;
    bool was_up = false;
    {
        std::lock_guard lock(mutex);
        closing.swap(device);
        was_up = line_up;
        line_up = false;
    }
    if (closing) closing->attach(nullptr);
    if (was_up) ev_disconnected.trigger();
}

bool Tserial_resource_inprocess::device_open() const {
    std::lock_guard lock(mutex);
    return line_up;
}

void Tserial_resource_inprocess::start_write(const unsigned char* bytes, unsigned length) {
    std::shared_ptr<Tinprocess_device> target;
    {
        std::lock_guard lock(mutex);
        if (line_up) target = device;
    }
    if (target) target->receive(bytes, length);
    ev_data_sent.trigger();
}

void Tserial_resource_inprocess::rearmRead() {
    std::lock_guard lock(mutex);
    rx_count.store(0);
    read_armed = true;
    fill_read();
}

void Tserial_resource_inprocess::deliver(const std::string& bytes) {
    std::lock_guard lock(mutex);
    if (!line_up) return;
    inbound += bytes;
    fill_read();
}

void Tserial_resource_inprocess::hang_up() {
    {
        std::lock_guard lock(mutex);
        if (!line_up) return;
        line_up = false;
    }
    ev_disconnected.trigger();
}

void Tserial_resource_inprocess::fill_read() {
    if (!read_armed || inbound.empty()) return;
    // All that is waiting at once: nothing is gained here by the system
    // halves' byte at a time, and under a slow event loop much is lost.
    const std::size_t count = inbound.size() < std::size_t(SERIAL_MAX_SIZE) ? inbound.size() : SERIAL_MAX_SIZE;
    std::memcpy(rx_buffer, inbound.data(), count);
    inbound.erase(0, count);
    read_armed = false;
    rx_count.store(int(count));
    ev_data_arrival.trigger();
}

void Tserial_resource_inprocess::OnEvent(Tmy_event* event) {
    if (owner) owner->OnEvent(event);
}
