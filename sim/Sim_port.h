#pragma once
#include <memory>
#include <string>

#include "sim/Sim_line.h"

class Tzeta_simulator;

// How the program reaches a simulated instrument: through a pseudo-terminal
// linked as a COM port where the system has pseudo-terminals (so that the
// real serial layer is used), else through a port inside the program.
enum class Tsim_port { terminal, inprocess };
Tsim_port default_sim_port();

// Starts the simulator reachable as COM<wanted>, or with wanted 0 as the
// first free number from 200, the given way. Returns the number, or -1 with
// the reason in *error.
int start_on_port(Tzeta_simulator& sim, int wanted, Tsim_port way, std::string* error);
// Stops the simulator and takes its port away.
void stop_on_port(int com, Tzeta_simulator& sim, Tsim_port way);

// A new pseudo-terminal; null, with the reason in *error, where the system
// has none.
std::unique_ptr<Tsim_line> open_terminal_line(std::string* error);
// The pseudo-terminal way of start_on_port and stop_on_port.
int start_on_terminal(Tzeta_simulator& sim, int wanted, std::string* error);
void stop_on_terminal(int com, Tzeta_simulator& sim);
