#include "link/Inprocess_port.h"

#include <mutex>

namespace {

std::mutex registry_mutex;
std::shared_ptr<Tinprocess_device> registry[SERIAL_PORT_TABLE_SIZE];

bool valid(int number) { return number > 0 && number < SERIAL_PORT_TABLE_SIZE; }

}  // namespace

void register_inprocess_device(int number, std::shared_ptr<Tinprocess_device> device) {
    if (!valid(number)) return;
    std::lock_guard lock(registry_mutex);
    registry[number] = std::move(device);
}

std::shared_ptr<Tinprocess_device> inprocess_device(int number) {
    if (!valid(number)) return nullptr;
    std::lock_guard lock(registry_mutex);
    return registry[number];
}

int free_inprocess_number(int first, const unsigned char present[SERIAL_PORT_TABLE_SIZE]) {
    std::lock_guard lock(registry_mutex);
    for (int number = first < 1 ? 1 : first; number < SERIAL_PORT_TABLE_SIZE; ++number)
        if (!present[number] && !registry[number]) return number;
    return 0;
}

void mark_inprocess_devices(unsigned char table[SERIAL_PORT_TABLE_SIZE]) {
    std::lock_guard lock(registry_mutex);
    for (int number = 1; number < SERIAL_PORT_TABLE_SIZE; ++number)
        if (registry[number]) table[number] = 1;
}
