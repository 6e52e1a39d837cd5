#include "sim/Simulated_session.h"

#include <utility>
#include <vector>

#include "app/Lumo2_app.h"
#include "sim/Port_link.h"

namespace {

constexpr double SESSION_NOISE = 0.05;
constexpr int SESSION_DELAY_MS = 2000;

using Tsnapshot = std::vector<std::pair<std::string, std::string>>;

Tsnapshot snapshot(const Tsettings& settings) {
    Tsnapshot entries;
    for (int i = 0; i < settings.entries.count(); ++i) {
        const Tsettings_entry* entry = settings.entries.at(i);
        entries.emplace_back(entry->key.c_str(), entry->value.c_str());
    }
    return entries;
}

void restore(Tsettings& settings, const Tsnapshot& entries) {
    settings.entries.clear(true);
    for (const auto& [key, value] : entries) {
        auto* entry = new Tsettings_entry;
        entry->key.assign(key.c_str());
        entry->value.assign(value.c_str());
        settings.entries.append(entry);
    }
}

}  // namespace

Tsimulated_session::~Tsimulated_session() {
    if (com_number > 0) unlink_com_port(com_number, sim.slave_path());
    sim.stop();
}

bool Tsimulated_session::open(std::string* error) {
    std::string reason;
    sim.set_noise(SESSION_NOISE, 1);
    sim.set_delay_ms(SESSION_DELAY_MS);
    if (!sim.start(&reason)) {
        if (error) *error = reason;
        return false;
    }
    com_number = link_com_port(sim.slave_path(), 0, reason);
    if (com_number > 0) return true;
    sim.stop();
    if (error) *error = reason;
    return false;
}

void Tsimulated_session::start_connection(Tlumo2_app* app) {
    if (!app) return;
    const Tsnapshot saved = snapshot(app->settings);
    app->settings.setInt("autonnect", 1);
    app->settings.setInt("last_connect_device_id", com_number);
    app->common.start();
    restore(app->settings, saved);
}
