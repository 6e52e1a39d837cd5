#include "link/Serial_ports.h"

#include "events/My_string.h"

void serial_port_path(int port, Tmy_string* out) { out->format("\\\\.\\COM%d", port); }
