#include "sim/Simulated_instrument.h"

#include "sim/Wsimulator.h"

std::unique_ptr<Tsimulated_instrument> Tsimulated_instrument::open(std::string* error) {
    std::unique_ptr<Tsimulated_instrument> instrument(new Tsimulated_instrument);
    if (!instrument->session.open(error)) return nullptr;
    instrument->window = std::make_unique<TWsimulator>(&instrument->session.simulator(), instrument->session.com());
    return instrument;
}

Tsimulated_instrument::~Tsimulated_instrument() = default;

void Tsimulated_instrument::start(Tlumo2_app* app) {
    session.start_connection(app);
    window->show();
}
