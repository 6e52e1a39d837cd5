#pragma once

class Tmy_string;

// The calibration constants text of a calibration taken on the simulated
// instrument's noise-free standards in configuration "I,II,III": clean water;
// uranine, sulforhodamine B and amino G acid at 10 and 100 ppb; 1, 10 and
// 100 NTU, each read through the program's own text parser. False when the
// constants break a validity rule.
bool simulated_constants(Tmy_string* out);
