#pragma once

// Serial ports keep the numbering "COM<n>" (1 to 255) everywhere above the
// device layer.

constexpr int SERIAL_PORT_TABLE_SIZE = 256;
// A simulated instrument takes the first free number from here up.
constexpr int FIRST_SIMULATED_COM = 200;

// The port number of "\\.\COM<n>" or "COM<n>" (letters in any case); 0 for
// any other text or a number outside 1-255.
int serial_port_number(const char* path);

class Tmy_string;

// The path a port is opened by and named by in messages, as the system
// knows it: "\\.\COM<n>" on Windows; elsewhere its link in the port-link
// directory or its fixed-scheme device, or "COM<n>" when it has neither.
void serial_port_path(int port, Tmy_string* out);
