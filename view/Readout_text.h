#pragma once
#include <array>
#include <string>

struct Tmeasure_row;
class Tvorn_lumo;

// The view window's readout of the newest row: ppb A, B, C and NTU, named
// as the chart names them ("ppb A (Uranine)"). A value reads as the table
// writes it; one at the conversion's floor reads "< 0.1" (the floor), since
// the true value lies anywhere below; none reads "---".
struct Treadout_cell {
    std::string caption;
    std::string value;
    bool at_floor = false;
};

constexpr int READOUT_CELLS = 4;
// newest is null before the first row.
std::array<Treadout_cell, READOUT_CELLS> readout_cells(const Tmeasure_row* newest, const Tvorn_lumo& constants);
