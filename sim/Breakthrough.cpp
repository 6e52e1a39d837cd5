#include "sim/Breakthrough.h"

#include <cmath>

#include "sim/Cell_text.h"

namespace {

double shape(const Tbreakthrough& b, double t) {
    const double t0 = b.transit_s;
    return std::pow(t0 / t, 1.5) * std::exp(-b.peclet * (t - t0) * (t - t0) / (4.0 * t * t0));
}

}  // namespace

double Tbreakthrough::peak_time_s() const {
    // Zero of the derivative of the shape's logarithm:
    // Pe t^2 / (4 t0) + 1.5 t - Pe t0 / 4 = 0.
    return (std::sqrt(2.25 + peclet * peclet / 4.0) - 1.5) * 2.0 * transit_s / peclet;
}

double Tbreakthrough::ppb_at(double seconds) const {
    if (seconds <= 0.0 || transit_s <= 0.0 || peclet <= 0.0) return 0.0;
    return peak_ppb * shape(*this, seconds) / shape(*this, peak_time_s());
}

bool parse_breakthrough(std::string_view text, Tbreakthrough& scenario, std::string& error) {
    const auto colon = text.find(':');
    if (text.substr(0, colon) != "breakthrough") {
        error = "unknown scenario \"" + std::string(text.substr(0, colon)) + "\" (known: breakthrough)";
        return false;
    }
    Tbreakthrough parsed;
    const std::string_view options = colon == std::string_view::npos ? std::string_view{} : text.substr(colon + 1);
    for (const auto& [key, value] : split_key_values(options)) {
        if (key == "tracer") {
            parsed.tracer_code = tracer_code_of(value);
            if (parsed.tracer_code > tracer::water) continue;
            error = "unknown tracer \"" + value + "\"";
            return false;
        }
        double* target = key == "peak" ? &parsed.peak_ppb
                         : key == "transit" ? &parsed.transit_s
                         : key == "peclet" ? &parsed.peclet
                                           : nullptr;
        if (!target) {
            error = "unknown breakthrough option \"" + key + "\" (tracer, peak, transit, peclet)";
            return false;
        }
        if (!parse_number(value, *target) || *target <= 0.0) {
            error = "breakthrough option \"" + key + "\" needs a number above 0";
            return false;
        }
    }
    scenario = parsed;
    return true;
}
