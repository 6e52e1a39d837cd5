#pragma once
#include <string>

#include "sim/Sim_port.h"
#include "sim/Zeta_simulator.h"

struct Tlumo2_app;

// The simulated instrument inside the program (lumo2 --simulate): a
// simulator linked under a free COM number for as long as the session lives.
class Tsimulated_session {
public:
    Tsimulated_session() = default;
    ~Tsimulated_session();
    Tsimulated_session(const Tsimulated_session&) = delete;
    Tsimulated_session& operator=(const Tsimulated_session&) = delete;

    // Starts the simulator with a little noise and the usual answer delay
    // and gives it the first free COM number from 200, reached the given
    // way. False, with a reason in `error`, when either fails.
    bool open(std::string* error, Tsim_port way = default_sim_port());
    int com() const { return com_number; }
    Tzeta_simulator& simulator() { return sim; }

    // Starts the connection master with the simulator's port selected and
    // connected. The master takes its start-up port from the settings store,
    // so the store lends it the simulator's port and automatic connection
    // for that one read and then gets its own values back: the settings file
    // written at exit keeps the user's port.
    void start_connection(Tlumo2_app* app);

private:
    Tzeta_simulator sim;
    Tsim_port port_way = Tsim_port::terminal;
    int com_number = -1;
};
