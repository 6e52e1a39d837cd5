#include "sim/Sim_port.h"

#include "link/Inprocess_port.h"
#include "link/Serial_enum.h"
#include "sim/Inprocess_line.h"
#include "sim/Zeta_simulator.h"

namespace {

int start_inprocess(Tzeta_simulator& sim, int wanted, std::string* error) {
    int com = wanted;
    if (com <= 0) {
        unsigned char present[SERIAL_PORT_TABLE_SIZE] = {};
        Tserial_enum().scan(present);
        com = free_inprocess_number(FIRST_SIMULATED_COM, present);
    }
    if (com <= 0 || com >= SERIAL_PORT_TABLE_SIZE) {
        if (error) *error = "no free COM number from " + std::to_string(FIRST_SIMULATED_COM);
        return -1;
    }
    auto line = std::make_shared<Tinprocess_line>("inside the program");
    if (!sim.start_on(line, error)) return -1;
    register_inprocess_device(com, line);
    return com;
}

}  // namespace

int start_on_port(Tzeta_simulator& sim, int wanted, Tsim_port way, std::string* error) {
    return way == Tsim_port::terminal ? start_on_terminal(sim, wanted, error) : start_inprocess(sim, wanted, error);
}

void stop_on_port(int com, Tzeta_simulator& sim, Tsim_port way) {
    if (way == Tsim_port::terminal) {
        stop_on_terminal(com, sim);
        return;
    }
    register_inprocess_device(com, nullptr);
    sim.stop();
}
