#pragma once
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

// Writes a calibration constants file in the calculator's 73-line layout
// from plain numbers, so that tests can vary one thing at a time. The
// defaults make a consistent instrument: water A 5, B 6, C 7, T 10 mV; at
// 100 ppb c11..c33 = 100 3 1 / 10 200 5 / 2 10 50 mV above water; the
// turbidity standards 1, 10, 100 NTU give lamp T 2, 20, 200 mV above water.
struct Tlegacy_calibration {
    using Tline = std::pair<std::string, double>;  // exponent text, signal mV

    std::string model_words = "ZETA-QX1 fluorometer ";
    int serial = 1234;
    std::string names[3] = {"Uranine", "SulforhodamineB", "AminoGacid"};
    double water[4] = {5, 6, 7, 10};
    double tracer[3][4] = {{105, 16, 9, 11}, {8, 206, 17, 12}, {6, 11, 57, 13}};
    double ntu[3][4] = {{6, 8, 8, 12}, {15, 26, 17, 30}, {105, 206, 107, 210}};
    std::vector<Tline> lines[3] = {{{"-8", 15}, {"-7", 105}}, {{"-8", 26}, {"-7", 206}}, {{"-8", 12}, {"-7", 57}}};
    std::string lamp_count = "4";
    std::string concentration = "100.0";

    std::string text() const
    {
        const std::string separator = std::string(78, '-') + "\r\n";
        std::string out = "               Calibration constants  -  " + model_words + "#" + std::to_string(serial) +
                          "\r\n";
        out += "               " + std::string(50, '-') + "\r\n";
        out += "                           Last calibration: 201207\r\n";
        out += "                                 Values in mV\r\n\r\n\r\n";
        auto block = [&](const std::string& name, const double* values) {
            out += separator + name + "\r\n";
            for (int lamp = 0; lamp < 4; ++lamp) out += "L" + std::to_string(lamp + 1) + " " + value(values[lamp]) + "\r\n";
        };
        block("Eau", water);
        for (int t = 0; t < 3; ++t) block(names[t], tracer[t]);
        const char* levels[3] = {"1 NTU", "10 NTU", "100 NTU"};
        for (int level = 0; level < 3; ++level) block(levels[level], ntu[level]);
        out += "----------------Programme parameters (must start on 1st column)---------------\r\n";
        out += "1               Serial port in use (usually 1)\r\n";
        for (int t = 0; t < 3; ++t) {
            out += "----------------Full calibration of tracer " + std::to_string(t + 1) +
                   "----------------------------------\r\n";
            out += std::to_string(lines[t].size()) + "               Number of calibration lines, increasing concentration\r\n";
            for (const Tline& line : lines[t]) out += line.first + " " + value(line.second) + "      log(ppb) & signal (mV)\r\n";
        }
        out += separator + lamp_count + "               Number of lamps (2 to 4)\r\n";
        out += separator + "0               Relay programming (no=0 yes=1)\r\n";
        out += separator + concentration + "           Tracer concentration (ppb) used in L1 to L4 lines\r\n";
        out += separator + "001.0  25.0 0.015 -0.00010    QX Conductimeter gain, T compensation\r\n";
        out += "-0.1659  1.0457  0.0019       Non-linearity correction\r\n";
        out += separator + "1               1= no datalogger 0= with datalogger 2= with Vastlog\r\n";
        return out;
    }

    // The calculator's value format: two decimals, at least 7 characters.
    static std::string value(double v)
    {
        char text[400];
        std::snprintf(text, sizeof text, "%7.2f", v);
        return text;
    }
};
