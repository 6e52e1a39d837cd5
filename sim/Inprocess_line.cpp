#include "sim/Inprocess_line.h"

#include <chrono>

void Tinprocess_line::wait(int timeout_ms, std::string* bytes) {
    std::unique_lock lock(mutex);
    const auto ready = [this] { return woken || !from_program.empty(); };
    if (timeout_ms < 0)
        arrived.wait(lock, ready);
    else
        arrived.wait_for(lock, std::chrono::milliseconds(timeout_ms), ready);
    bytes->append(from_program);
    from_program.clear();
    woken = false;
}

void Tinprocess_line::wake() {
    std::lock_guard lock(mutex);
    woken = true;
    arrived.notify_one();
}

// Delivered under the mutex, so that a port closing (attach(nullptr)) waits
// for a delivery under way and is never called after it has gone.
void Tinprocess_line::write(const std::string& bytes) {
    std::lock_guard lock(mutex);
    if (port && !bytes.empty()) port->deliver(bytes);
}

void Tinprocess_line::hang_up() {
    std::lock_guard lock(mutex);
    ended = true;
    if (port) port->hang_up();
    port = nullptr;
}

bool Tinprocess_line::attach(Tinprocess_port* new_port) {
    std::lock_guard lock(mutex);
    if (ended && new_port) return false;
    port = new_port;
    return true;
}

void Tinprocess_line::receive(const unsigned char* bytes, unsigned length) {
    std::lock_guard lock(mutex);
    from_program.append(reinterpret_cast<const char*>(bytes), length);
    arrived.notify_one();
}
