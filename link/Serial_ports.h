#pragma once

class Tmy_string;

// Serial ports keep the numbering "COM<n>" (1 to 255) everywhere above the
// device layer. A port number is mapped to a device first through a link
// named "COM<n>" in the port-link directory, then by the fixed scheme
// COM1-32 = /dev/ttyS0-31, COM33-64 = /dev/ttyUSB0-31, COM65-96 = /dev/ttyACM0-31.

constexpr int SERIAL_PORT_TABLE_SIZE = 256;

// $LUMO2_PORT_DIR, else $XDG_RUNTIME_DIR/lumo2/ports, else $HOME/.lumo2/ports.
void serial_port_link_directory(Tmy_string* out);
// The port number of "\\.\COM<n>" or "COM<n>" (letters in any case); 0 for
// any other text or a number outside 1-255.
int serial_port_number(const char* path);
// The fixed-scheme device of a port; empty beyond COM96.
void serial_fixed_device(int port, Tmy_string* out);
// The device to open for a path: a path starting with '/' as given, a COM
// port through its link or the fixed scheme. False when there is none.
bool serial_resolve_device(const char* path, Tmy_string* out);
