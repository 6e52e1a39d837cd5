#pragma once
#include <string>

#include "sim/Zeta_simulator.h"

// A scratch working directory whose lumo2.cfg connects the program at
// start-up to a simulator linked as a COM port in the directory's own
// port-link folder ($LUMO2_PORT_DIR is set for this process and its
// children). The simulator answers at once, without noise.
class Tbench_instrument {
public:
    Tbench_instrument() = default;
    ~Tbench_instrument();
    Tbench_instrument(const Tbench_instrument&) = delete;
    Tbench_instrument& operator=(const Tbench_instrument&) = delete;

    // The observer is called with every answer as soon as its last byte is
    // written. False, with a reason, when anything cannot be made.
    bool open(Tzeta_simulator::Tobserver observer, std::string* error);

    Tzeta_simulator sim;
    std::string dir;
    int com = -1;
};
