#include "robust/Live_rig.h"

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "events/Event_resource.h"
#include "sim/Port_link.h"

// ---- Tlean_ui ----

Tlean_ui::Tlean_ui() : previous(ui_port()) { set_ui_port(this); }

Tlean_ui::~Tlean_ui() { set_ui_port(previous); }

Tlean_ui::Tcontrol& Tlean_ui::control(Twindow window, const char* name) {
    return controls[{int(window), name ? name : ""}];
}

void Tlean_ui::set_text(Twindow window, const char* name, const char* text) {
    control(window, name).text = text ? text : "";
}

const char* Tlean_ui::get_text(Twindow window, const char* name) { return control(window, name).text.c_str(); }

void Tlean_ui::set_color(Twindow window, const char* name, unsigned rgb) { control(window, name).color = rgb; }

void Tlean_ui::set_enabled(Twindow window, const char* name, bool enabled) {
    control(window, name).enabled = enabled;
}

void Tlean_ui::set_checked(Twindow window, const char* name, bool checked) {
    control(window, name).checked = checked;
}

bool Tlean_ui::is_checked(Twindow window, const char* name) { return control(window, name).checked; }

void Tlean_ui::list_clear(Twindow window, const char* name) {
    Tcontrol& c = control(window, name);
    c.values.clear();
    c.selected = -1;
}

void Tlean_ui::list_add(Twindow window, const char* name, const char*, int value) {
    control(window, name).values.push_back(value);
}

int Tlean_ui::list_count(Twindow window, const char* name) { return int(control(window, name).values.size()); }

int Tlean_ui::list_value(Twindow window, const char* name, int index) {
    const Tcontrol& c = control(window, name);
    return index >= 0 && index < int(c.values.size()) ? c.values[size_t(index)] : 0;
}

int Tlean_ui::list_selected(Twindow window, const char* name) { return control(window, name).selected; }

void Tlean_ui::list_select(Twindow window, const char* name, int index) {
    Tcontrol& c = control(window, name);
    c.selected = index >= 0 && index < int(c.values.size()) ? index : -1;
}

void Tlean_ui::append_line(Twindow window, const char* name, const char* line) {
    std::vector<std::string>& lines = control(window, name).lines;
    if (lines.size() >= PANE_LINES)
        lines.erase(lines.begin(), lines.begin() + PANE_LINES / 2);
    lines.emplace_back(line ? line : "");
}

void Tlean_ui::clear_lines(Twindow window, const char* name) { control(window, name).lines.clear(); }

bool Tlean_ui::has_line(Twindow window, const char* pane, const std::string& line) {
    for (const std::string& kept : control(window, pane).lines)
        if (kept == line)
            return true;
    return false;
}

// ---- Tstep_timer ----

uintptr_t Tstep_timer::start_timer(Tdelay_resource* delay, unsigned ms) {
    armed = delay;
    armed_ms = ms;
    return 1;
}

void Tstep_timer::kill_timer(uintptr_t) { armed = nullptr; }

void Tstep_timer::step(int count) {
    for (int i = 0; i < count; ++i) {
        while (live_pump::deliver_one(0)) {
        }
        if (Tdelay_resource* delay = armed)
            delay->expired();
    }
}

// ---- live_pump ----

namespace {

std::mutex wake_lock;
std::condition_variable woken;

void wake() {
    std::lock_guard<std::mutex> guard(wake_lock);
    woken.notify_one();
}

}  // namespace

void live_pump::install() { set_wake_hook(wake); }

void live_pump::uninstall() {
    set_wake_hook(nullptr);
    event_queue_reset();
}

long long live_pump::now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The wake hook takes wake_lock before notifying, and the queue is looked at
// under it, so a wake-up between the look and the wait is not lost.
bool live_pump::deliver_one(int wait_ms) {
    if (event_queue_empty()) {
        if (wait_ms <= 0)
            return false;
        std::unique_lock<std::mutex> guard(wake_lock);
        woken.wait_for(guard, std::chrono::milliseconds(wait_ms), [] { return !event_queue_empty(); });
        if (event_queue_empty())
            return false;
    }
    OnCustomEventHandler();
    return true;
}

// ---- Tlive_rig ----

int Tlive_rig::received = 0;

void Tlive_rig::keep_line(const char* line) {
    if (std::strncmp(line, "RX : ", 5) == 0 || std::strncmp(line, "VIRO LUMO ", 10) == 0)
        ++received;
    log_append(line);
}

Tlive_rig::Tlive_rig() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumo2-robust-XXXXXX").string();
    dir = mkdtemp(pattern.data());
    setenv("LUMO2_PORT_DIR", dir.c_str(), 1);
    set_timer_service(&timer);
    live_pump::install();
    received = 0;
    set_log_sink(keep_line);
    app = std::make_unique<Tlumo2_app>();
    set_the_app(app.get());
    app->settings.path.assign((dir + "/lumo2.cfg").c_str());
    for (const char* box : {"cb_lampe_A", "cb_lampe_B", "cb_lampe_C", "cb_lampe_T"})
        ui.set_checked(WIN_VIEW, box, true);
}

Tlive_rig::~Tlive_rig() {
    app.reset();
    set_the_app(nullptr);
    set_log_sink(nullptr);
    live_pump::uninstall();
    set_timer_service(nullptr);
    sim.stop();
    unsetenv("LUMO2_PORT_DIR");
    std::filesystem::remove_all(dir);
}

bool Tlive_rig::connected() { return ui.control(WIN_VIEW, "pl_connected").color == RGB_GREEN; }

void Tlive_rig::settle(int ms) {
    live_pump::until([] { return false; }, ms);
}

bool Tlive_rig::drain(int quiet_ms, int timeout_ms) {
    const long long end = live_pump::now_ms() + timeout_ms;
    long long last_event = live_pump::now_ms();
    while (live_pump::now_ms() - last_event < quiet_ms) {
        if (live_pump::now_ms() > end)
            return false;
        if (live_pump::deliver_one(10))
            last_event = live_pump::now_ms();
    }
    return true;
}

bool Tlive_rig::start_simulator() {
    sim.set_delay_ms(0);
    sim.set_noise(0, 1);
    return sim.start();
}

bool Tlive_rig::link_and_open(const std::string& slave_path) {
    std::filesystem::remove(port_link_path(COM));
    std::string error;
    if (link_com_port(slave_path, COM, error) != COM)
        return false;
    app->common.updatePortList();
    display_set(DSP_COM_PORT, std::to_string(COM).c_str());
    press(CMD_CONNECT);
    return live_pump::until([this] { return connected(); });
}

bool Tlive_rig::connect() {
    app->common.start();
    return start_simulator() && link_and_open(sim.slave_path());
}

bool Tlive_rig::connect_to(const std::string& slave_path) {
    app->common.start();
    return link_and_open(slave_path);
}

bool Tlive_rig::reconnect() {
    sim.stop();
    return start_simulator() && link_and_open(sim.slave_path());
}
