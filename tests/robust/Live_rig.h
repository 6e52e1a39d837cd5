#pragma once
// The whole program without its windows, on the simulated instrument: the
// application record, the real connection master, serial resource and
// event queue, a lean stand-in for the windows and a timer the test steps.
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/Lumo2_app.h"
#include "app/Ui_port.h"
#include "events/Delay_resource.h"
#include "link/Lumo2_common.h"
#include "sim/Zeta_simulator.h"

// Keeps what a window would show now, and no history: the last text, colour
// and state of each control, list items, and at most the last lines of each
// log pane, as the real panes are capped.
class Tlean_ui : public Tui_port {
public:
    static constexpr size_t PANE_LINES = 400;

    struct Tcontrol {
        std::string text;
        unsigned color = 0;
        bool enabled = true;
        bool checked = false;
        std::vector<int> values;
        int selected = -1;
        std::vector<std::string> lines;
    };

    Tlean_ui();
    ~Tlean_ui() override;

    void show_window(Twindow, bool) override {}
    void show_modal(Twindow) override {}
    void show_page(Twindow, const char*) override {}
    void quit() override {}
    void set_text(Twindow window, const char* name, const char* text) override;
    const char* get_text(Twindow window, const char* name) override;
    void set_color(Twindow window, const char* name, unsigned rgb) override;
    void set_enabled(Twindow window, const char* name, bool enabled) override;
    void set_checked(Twindow window, const char* name, bool checked) override;
    bool is_checked(Twindow window, const char* name) override;
    void list_clear(Twindow window, const char* name) override;
    void list_add(Twindow window, const char* name, const char* text, int value) override;
    int list_count(Twindow window, const char* name) override;
    int list_value(Twindow window, const char* name, int index) override;
    int list_selected(Twindow window, const char* name) override;
    void list_select(Twindow window, const char* name, int index) override;
    void append_line(Twindow window, const char* name, const char* line) override;
    void clear_lines(Twindow window, const char* name) override;

    Tcontrol& control(Twindow window, const char* name);
    // Whether a line equal to `line` is among the pane's kept lines.
    bool has_line(Twindow window, const char* pane, const std::string& line);

private:
    std::map<std::pair<int, std::string>, Tcontrol> controls;
    Tui_port* previous;
};

// The platform timer, stepped by the test: each step is one 100 ms expiry.
class Tstep_timer : public Ttimer_service {
public:
    uintptr_t start_timer(Tdelay_resource* delay, unsigned ms) override;
    void kill_timer(uintptr_t id) override;
    // Lets the armed delay expire `count` times, delivering what arrives
    // between expiries.
    void step(int count);

    Tdelay_resource* armed = nullptr;
    unsigned armed_ms = 0;
};

// The most the receive line may hold in memory: its byte limit, plus what a
// string grown by half past that limit may have allocated beyond it.
constexpr unsigned RX_LINE_MEMORY_LIMIT = RX_LINE_LIMIT + RX_LINE_LIMIT / 2 + 256;

// Delivers queued events on the test's thread, sleeping only while the
// queue is empty (the serial worker's wake-up ends the sleep).
namespace live_pump {
void install();
void uninstall();
// Delivers until done() holds or timeout_ms passes; returns done().
template <class Tdone>
bool until(Tdone done, int timeout_ms = 5000);
bool deliver_one(int wait_ms);
long long now_ms();
}  // namespace live_pump

template <class Tdone>
bool live_pump::until(Tdone done, int timeout_ms) {
    const long long end = now_ms() + timeout_ms;
    while (!done()) {
        const long long left = end - now_ms();
        if (left <= 0)
            return false;
        deliver_one(left < 20 ? int(left) : 20);
    }
    return true;
}

// The program connected to a simulated instrument on COM7.
class Tlive_rig {
public:
    static constexpr int COM = 7;
    static constexpr int TICKS_PER_REQUEST = 100;

    Tlive_rig();
    ~Tlive_rig();

    // Starts the simulator (no delay, no noise), links COM7 to it, starts
    // the connection master with COM7 selected and presses "Connect".
    // False when any of it fails.
    bool connect();
    // The same with COM7 linked to another terminal the test plays itself.
    bool connect_to(const std::string& slave_path);
    // "Connect" again after the link went away: a new simulator terminal
    // behind the same COM7.
    bool reconnect();
    void press(int command) { dispatch_command(command); }
    // Lets 10 s pass: the running master sends its next request.
    void next_request() { timer.step(TICKS_PER_REQUEST); }
    // Delivers what arrives for ms milliseconds.
    void settle(int ms);
    // Delivers until nothing has arrived for quiet_ms; false when the line
    // is still busy after timeout_ms.
    bool drain(int quiet_ms = 150, int timeout_ms = 20000);
    // Answers received so far (logged "RX : " lines and frame dumps).
    static int answers_received() { return received; }
    bool connected();
    unsigned rows() const { return app->view_master.table.data_rows(); }

    std::string dir;
    Tlean_ui ui;
    Tstep_timer timer;
    Tzeta_simulator sim;
    std::unique_ptr<Tlumo2_app> app;

private:
    static void keep_line(const char* line);
    static int received;
    bool start_simulator();
    bool link_and_open(const std::string& slave_path);
};
