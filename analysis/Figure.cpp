#include "analysis/Figure.h"

void Tfigure::lower(Tfigure_state to, const std::string& why)
{
    if (to == Tfigure_state::available || to < state)
        return;
    if (to == state) {
        if (reason.find(why) == std::string::npos)
            reason += "; " + why;
        return;
    }
    state = to;
    reason = why;
    if (to == Tfigure_state::not_available)
        value = 0.0;
}

Tfigure derived_figure(double value, const Tfigure& a, const Tfigure& b)
{
    Tfigure figure = Tfigure::of(value);
    figure.lower(a.state, a.reason);
    figure.lower(b.state, b.reason);
    return figure;
}
