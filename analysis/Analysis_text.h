#pragma once
#include <string>
#include <vector>

#include "analysis/Tracer_analysis.h"

struct Ttracer_inputs;

// The results for scripts: the header line, then one line per lamp, cells
// separated by ";" (no ";" after the last), CR LF; "-" for a figure not
// available. A provisional figure is written as a number: the printed
// table tells it apart.
void analysis_results_text(const std::vector<Tlamp_analysis>& lamps, std::string* text);

// The results for people: one line per figure, one column per lamp, "*"
// behind a provisional figure, "-" for one not available, and below the
// table why, per lamp. Lines end with LF, as printed.
void analysis_table_text(const Ttracer_inputs& inputs, const std::vector<Tlamp_analysis>& lamps, std::string* text);

// The text of one figure as both forms write it.
std::string figure_text(const Tfigure& figure, Tresult result);
// "Recovered mass (g)" and the like.
const char* result_label(Tresult result);
// Appends one line per reason of the lamp's figures that are provisional or
// not available: "A provisional (mass_g, ...): the curve has not come back ...".
void analysis_reasons_text(const Tlamp_analysis& lamp, std::string* text);
