#pragma once
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "events/Event_resource.h"

// Stands in for the hidden window: counts wake-ups and delivers queued
// events on the test's thread.
namespace event_pump {

inline std::atomic<int>& wake_count() {
    static std::atomic<int> count{0};
    return count;
}
inline void record_wake() { wake_count().fetch_add(1); }

inline void install() { set_wake_hook(record_wake); }
inline void uninstall() {
    set_wake_hook(nullptr);
    event_queue_reset();
}

// Delivers events until done() holds or timeout_ms has passed; returns done().
inline bool until(const std::function<bool()>& done, int timeout_ms = 2000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        if (event_queue_empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        else
            OnCustomEventHandler();
    }
    return true;
}

// Delivers whatever arrives during ms milliseconds.
inline void for_ms(int ms) {
    until([] { return false; }, ms);
}

}  // namespace event_pump
