#pragma once
#include "link/Serial_ports.h"

class Tmy_string;

// On POSIX a port number is mapped to a device first through a link named
// "COM<n>" in the port-link directory, then by the fixed scheme
// COM1-32 = /dev/ttyS0-31, COM33-64 = /dev/ttyUSB0-31, COM65-96 = /dev/ttyACM0-31.

// $LUMO2_PORT_DIR, else $XDG_RUNTIME_DIR/lumo2/ports, else $HOME/.lumo2/ports.
void serial_port_link_directory(Tmy_string* out);
// The fixed-scheme device of a port; empty beyond COM96.
void serial_fixed_device(int port, Tmy_string* out);
// The device to open for a path: a path starting with '/' as given, a COM
// port through its link or the fixed scheme. False when there is none.
bool serial_resolve_device(const char* path, Tmy_string* out);
