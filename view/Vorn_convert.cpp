#include <cmath>

#include "events/Lib_cpp.h"
#include "view/Vorn_lumo.h"

namespace {

constexpr double START_VALUE = 0.01;        // results, and a negative net signal
constexpr double LOG_OF_ZERO = -20;         // log10 substitute for a zero lamp T signal
constexpr double PPB_EXPONENT = 9;          // ppb from a mass-fraction exponent

double quadratic(const double* cof, double x) { return cof[0] + cof[1] * x + cof[2] * x * x; }

// Raises a result to its floor; a result that is not a number becomes it.
double at_least(double value, double floor) { return value > floor ? value : floor; }

}  // namespace

bool at_conversion_floor(int result, float value)
{
    // Printed with three decimals, lamp A's floor reads back just below it.
    return !is_undefined(value) && value <= float(CONVERSION_FLOORS[result]);
}

void Tvorn_lumo::convert(conversion_record* record) const {
    double s[3] = {record->signal[0], record->signal[1], record->signal[2]};
    double ppb[3] = {START_VALUE, START_VALUE, START_VALUE};
    double ntu = START_VALUE;
    const unsigned char* present = record->has_signal;

    // Without lamp T the tracer signals are taken as delivered, neither
    // water- nor turbidity-corrected.
    if (record->has_t) {
        double tnet = record->signal_t - water(3);
        if (!(tnet >= 0)) tnet = START_VALUE;
        double lt = tnet > 0 ? std::log10(tnet) : LOG_OF_ZERO;
        for (int i = 0; i < 3; ++i) {
            if (!present[i]) continue;
            double turbidity = std::pow(10.0, quadratic(coftu[i], lt));
            s[i] = s[i] - water(i) - turbidity;
            if (!(s[i] >= 0)) s[i] = START_VALUE;
        }
        const double curve[3] = {c0, c1, c2};
        ntu = std::pow(10.0, quadratic(curve, lt));
    }

    int count = (present[0] ? 1 : 0) + (present[1] ? 1 : 0) + (present[2] ? 1 : 0);
    if (count == 1) {
        int lamp = present[0] ? 0 : present[1] ? 1 : 2;
        ppb[lamp] = convert_single(lamp, s[lamp]);
    } else if (count == 2) {
        convert_pair(!present[0] ? 0 : !present[1] ? 1 : 2, s, ppb);
    } else if (count == 3) {
        convert_three(s, ppb);
    }

    for (int i = 0; i < 3; ++i)
        if (present[i]) ppb[i] = at_least(ppb[i], CONVERSION_FLOORS[i]);
    if (record->has_t) ntu = at_least(ntu, CONVERSION_FLOORS[3]);
    for (int i = 0; i < 3; ++i) record->ppb[i] = ppb[i];
    record->ntu = ntu;
}

// One tracer alone: linear in the signal, or the tracer's calibration
// polynomial in log-log space where the file gave one. A signal that is not
// positive has no logarithm and keeps the linear value, which the floor
// then raises.
double Tvorn_lumo::convert_single(int lamp, double v) const {
    const double diagonal[3] = {c11, c22, c33};
    double ppb = START_VALUE;
    if (diagonal[lamp] != 0) ppb = ssss * v / diagonal[lamp];
    if (poldeg[lamp] != 0 && v > 0) {
        double l = std::log10(v);
        double sum = 0, power = 1;
        for (int d = 0; d <= poldeg[lamp] && d < 3; ++d) {
            sum += coef[lamp][d] * power;
            power *= l;
        }
        ppb = std::pow(10.0, PPB_EXPONENT + sum);
    }
    return ppb;
}

// Two tracers: the 2 x 2 system of the two present lamps.
void Tvorn_lumo::convert_pair(int missing, const double* s, double* ppb) const {
    double a = s[0], b = s[1], c = s[2];
    if (missing == 2 && den12 != 0) {
        ppb[0] = (a * c22 - b * c12) / den12;
        ppb[1] = (c11 * b - c21 * a) / den12;
    } else if (missing == 0 && den23 != 0) {
        ppb[1] = (b * c33 - c * c23) / den23;
        ppb[2] = (c22 * c - c32 * b) / den23;
    } else if (missing == 1 && den31 != 0) {
        ppb[2] = (c * c11 - a * c31) / den31;
        ppb[0] = (c33 * a - c13 * c) / den31;
    }
}

// Three tracers: Cramer's rule, each determinant expanded in the same six
// terms as denom with one column replaced by the signals.
void Tvorn_lumo::convert_three(const double* s, double* ppb) const {
    if (denom == 0) return;
    double a = s[0], b = s[1], c = s[2];
    ppb[0] = (a * c22 * c33 + c12 * c23 * c + c13 * b * c32 - c * c22 * c13 - c32 * c23 * a - c33 * b * c12) / denom;
    ppb[1] = (c11 * b * c33 + a * c23 * c31 + c13 * c21 * c - c31 * b * c13 - c * c23 * c11 - c33 * c21 * a) / denom;
    ppb[2] = (c11 * c22 * c + c12 * b * c31 + a * c21 * c32 - c31 * c22 * a - c32 * b * c11 - c * c21 * c12) / denom;
}
