#include "sim/Sim_port.h"

namespace {

const char* const NO_TERMINALS = "Windows has no pseudo-terminals; the simulated instrument runs inside the program";

}  // namespace

Tsim_port default_sim_port() { return Tsim_port::inprocess; }

std::unique_ptr<Tsim_line> open_terminal_line(std::string* error) {
    if (error) *error = NO_TERMINALS;
    return nullptr;
}

int start_on_terminal(Tzeta_simulator&, int, std::string* error) {
    if (error) *error = NO_TERMINALS;
    return -1;
}

void stop_on_terminal(int, Tzeta_simulator&) {}
