#pragma once
#include <string>
#include <utility>

// One result of an analysis and how far it can be trusted. A provisional
// figure is a number that may still change (the curve has not come back to
// background, rows are missing); a figure not available has no number.
// Both carry the reason.
enum class Tfigure_state { available, provisional, not_available };

struct Tfigure {
    Tfigure_state state = Tfigure_state::not_available;
    double value = 0.0;
    std::string reason;

    static Tfigure of(double value) { return {Tfigure_state::available, value, {}}; }
    static Tfigure missing(std::string why) { return {Tfigure_state::not_available, 0.0, std::move(why)}; }
    bool has_value() const { return state != Tfigure_state::not_available; }
    // Lowers the state to `to` with the reason; a reason of the same state
    // is added to the ones there.
    void lower(Tfigure_state to, const std::string& why);
};

// A figure computed from others: the value with the least trusted source's
// state and reason.
Tfigure derived_figure(double value, const Tfigure& a, const Tfigure& b = Tfigure::of(0.0));
