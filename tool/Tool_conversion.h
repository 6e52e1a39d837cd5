#pragma once
#include <string>
#include <vector>

#include "view/Lumo2_view_master.h"

// The live view's conversion of lamp deltas, done by the view master itself
// and formatted by its table, so the answers are the live view's to the bit.
class Ttool_conversion {
public:
    // Loads the constants as the view window's calibration loading does.
    // False, with the master's log lines in *messages, when they are refused.
    // The log sink is borrowed for the loading and left empty.
    bool load(const char* path, std::vector<std::string>* messages);
    // deltas: lamps A, B, C, T in mV, undefined_float() where the lamp was
    // absent. cells: "ppb A", "ppb B", "ppb C" and "NTU" as the table shows them.
    void convert(const float deltas[4], std::string cells[4]);

private:
    Tlumo2_view_master master;
};
