#pragma once
#include <array>
#include <span>
#include <vector>

#include "analysis/Figure.h"
#include "analysis/Time_series.h"
#include "analysis/Tracer_inputs.h"

class Tdischarge;
struct Tmeasure_row;

// The answers of a tracer test per tracer lamp, by the method of moments on
// the background-corrected concentration. Times are seconds after the
// injection. The order is that of the results file's columns.
enum Tresult {
    RESULT_BACKGROUND,      // ppb
    RESULT_FIRST_ARRIVAL,   // s
    RESULT_PEAK_TIME,       // s
    RESULT_PEAK_PPB,        // ppb above background
    RESULT_MASS,            // recovered, g
    RESULT_RECOVERY,        // % of the injected mass
    RESULT_MEAN_RESIDENCE,  // s
    RESULT_VARIANCE,        // s^2
    RESULT_VELOCITY_FIRST,  // m/s
    RESULT_VELOCITY_PEAK,   // m/s
    RESULT_VELOCITY_MEAN,   // m/s
    RESULT_DISPERSION,      // m^2/s
    RESULT_DISPERSIVITY,    // m
    RESULT_PECLET,
    RESULT_COUNT
};

struct Tlamp_analysis {
    int lamp = 0;               // 0 A, 1 B, 2 C
    double background_sd = 0.0; // ppb; 0 when no spread was measured
    Tfigure curve_end;          // s: where the curve is back within the background's noise
    Tfigure figures[RESULT_COUNT];
};

// One lamp's series (lamp_series) analysed.
Tlamp_analysis analyse_lamp(const std::vector<Ttime_point>& series, int lamp, const Ttracer_inputs& inputs,
                            const Tdischarge& discharge);

// The concentrations of the lamps A, B and C, each sorted and merged.
using Tlamp_series = std::array<std::vector<Ttime_point>, TRACER_LAMPS>;

// Every lamp with an injected mass in the inputs or a rising curve (a first
// arrival) in its series, in the order A, B, C: a lamp that only shows its
// background, as the other tracers' lamps of a one-dye test, is left out.
std::vector<Tlamp_analysis> analyse_lamp_series(const Tlamp_series& series, const Ttracer_inputs& inputs,
                                                const Tdischarge& discharge);
// The same of the rows of a table.
std::vector<Tlamp_analysis> analyse_tracer_test(std::span<const Tmeasure_row> rows, const Ttracer_inputs& inputs,
                                                const Tdischarge& discharge);
