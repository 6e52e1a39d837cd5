#pragma once

// Serial ports keep the numbering "COM<n>" (1 to 255) everywhere above the
// device layer.

constexpr int SERIAL_PORT_TABLE_SIZE = 256;
// A simulated instrument takes the first free number from here up.
constexpr int FIRST_SIMULATED_COM = 200;

// The port number of "\\.\COM<n>" or "COM<n>" (letters in any case); 0 for
// any other text or a number outside 1-255.
int serial_port_number(const char* path);
