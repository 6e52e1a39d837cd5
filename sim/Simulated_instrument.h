#pragma once
#include <memory>
#include <string>

#include "sim/Simulated_session.h"

class TWsimulator;
struct Tlumo2_app;

// lumo2 --simulate: the in-program simulator and its "Simulated instrument"
// window.
class Tsimulated_instrument {
public:
    // Null, with a reason in `error`, when the simulator cannot be started
    // or linked. Needs the Qt application to exist.
    static std::unique_ptr<Tsimulated_instrument> open(std::string* error);
    ~Tsimulated_instrument();

    // At start-up, in place of the connection master's own start: connects
    // to the simulator and shows its window.
    void start(Tlumo2_app* app);

private:
    Tsimulated_instrument() = default;

    Tsimulated_session session;
    std::unique_ptr<TWsimulator> window;  // after the session: it goes first
};
