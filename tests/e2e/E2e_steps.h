#pragma once
// What a user does in the running program's windows, step by step, for the
// end-to-end tests. Each step checks what it relies on with gtest asserts:
// the caller stops at HasFatalFailure().
#include <string>

#include "e2e/E2e_program.h"

struct Tconfiguration_case {
    const char* name;  // as the configuration box shows it
    int code;
    int tracers[3];    // tracer codes of lamps A, B, C
};

inline constexpr Tconfiguration_case CONFIGURATION_I_II_III = {
    "I,II,III", 1, {tracer::uranine, tracer::sulforhodamine_b, tracer::amino_g_acid}};
inline constexpr Tconfiguration_case CONFIGURATION_I_II_V = {
    "I,II,V", 2, {tracer::uranine, tracer::sulforhodamine_b, tracer::naphtionate}};
// Eosine on lamp A: the calibration does not note it as lamp A's tracer.
inline constexpr Tconfiguration_case CONFIGURATION_I_II_V_EOSINE = {
    "I,II,V", 2, {tracer::eosine, tracer::sulforhodamine_b, tracer::naphtionate}};

namespace e2e {

// From the main window into the calibration window; types the serial number
// and chooses model "ZETA QX-2" and the configuration.
void open_calibration(const Tconfiguration_case& config, const char* serial);
// Fills the cell, asks for a fresh reading (Stop, Start) and stores it as
// the given standard (tracer and concentration codes of the choice boxes)
// after `stored_before` others.
void store_standard(Te2e_program& program, const Tcell& cell, int tracer_code, int concentration_code,
                    int stored_before);
// Water; each tracer of the configuration at 10 and 100 ppb; 1, 10, 100 NTU.
void store_all_standards(Te2e_program& program, const Tconfiguration_case& config);
// "Calc Calibration", then "Save .dat file" with `path` chosen in the dialog.
void calculate_and_save_dat(const std::string& path);
// Closes the calibration window and opens the view window.
void open_view_from_calibration();
// "Load calibration file ... " with `path` chosen in the dialog.
void load_constants_in_view(const std::string& path);
// STOP, START in the view window; waits for the row of the answer.
void fresh_view_row();

// The whole calibration above, ending with the .dat saved at `path`.
void calibrate(Te2e_program& program, const Tconfiguration_case& config, const std::string& path);

}  // namespace e2e
