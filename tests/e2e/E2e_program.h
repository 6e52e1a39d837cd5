#pragma once
// The whole program, started as the user starts it (run_application, its
// real windows on the offscreen platform, signal window, event queue, 100 ms
// delay, connection master and serial resource), in a scratch working
// directory, with a simulated instrument as COM<n>: a pseudo-terminal
// linked in a scratch port directory, or where the system has none, a port
// inside the program.
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "sim/Sim_port.h"
#include "sim/Zeta_simulator.h"
#include "support/Temp_dir.h"

class Te2e_program {
public:
    static constexpr int COM = 120;  // beyond the fixed device scheme: only our link names it

    // Starts the simulator (no answer delay, no noise) as COM120.
    Te2e_program();
    ~Te2e_program();
    Te2e_program(const Te2e_program&) = delete;
    Te2e_program& operator=(const Te2e_program&) = delete;

    // The settings file the program finds in its working directory.
    void write_settings(const std::string& content) { work.write("lumo2.cfg", content); }
    // "TYPE=2" with automatic connection to the simulator's port.
    void write_autoconnect_settings();

    // Runs the program; `scenario` is called inside its message loop once
    // start-up is done, and the program is ended (menu "Exit") after it.
    // Returns the program's exit code.
    int run(const std::function<void()>& scenario);

    // A stopped or pulled simulator started again behind the same COM120.
    bool restart_simulator();
    // The answers' bytes as the simulator wrote them, oldest first.
    std::vector<std::string> answers() const;

    Ttemp_dir work;
    Ttemp_dir ports;
    Tzeta_simulator sim;

private:
    mutable std::mutex answers_lock;
    std::vector<std::string> written;
};

// ---- Driving the running program (call from the scenario only) ----
namespace e2e {

// Delivers the program's events until done() holds or timeout_ms passes.
bool wait_until(const std::function<bool()>& done, int timeout_ms = 5000);
// Delivers the program's events for ms milliseconds.
void settle(int ms);

QWidget* window(const char* object_name);  // "Fframe", "Flumo_cal", "Flumo_view"
template <class T>
T* control(const char* window_name, const char* object_name);

// The lines of a log pane, and whether one of them is exactly `line`.
QStringList lines(const char* window_name, const char* pane);
bool has_line(const char* window_name, const char* pane, const QString& line);
int count_lines_starting(const char* window_name, const char* pane, const QString& prefix);

// The connection indicators of the main, calibration and view windows.
bool indicators_are(unsigned rgb);

// The port's path as the connection log lines name it: its link in the
// port-link directory here.
QString device_path(int com);

}  // namespace e2e

template <class T>
T* e2e::control(const char* window_name, const char* object_name)
{
    QWidget* top = window(window_name);
    return top ? top->findChild<T*>(QString::fromLatin1(object_name)) : nullptr;
}
