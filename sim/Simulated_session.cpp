#include "sim/Simulated_session.h"

#include <utility>
#include <vector>

#include "app/Lumo2_app.h"

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

Tsimulated_session::~Tsimulated_session() { stop_on_port(com_number, sim, port_way); }

bool Tsimulated_session::open(std::string* error, Tsim_port way) {
    port_way = way;
    sim.set_noise(SESSION_NOISE, 1);
    sim.set_delay_ms(SESSION_DELAY_MS);
    com_number = start_on_port(sim, 0, way, error);
    return com_number > 0;
}

void Tsimulated_session::start_connection(Tlumo2_app* app) {
    if (!app) return;
    const Tsnapshot saved = snapshot(app->settings);
    app->settings.setInt("autonnect", 1);
    app->settings.setInt("last_connect_device_id", com_number);
    app->common.start();
    restore(app->settings, saved);
}
