#pragma once
#include <string>

#include "link/Serial_ports_posix.h"

// Serial ports are reached by COM number: a symbolic link COM<n> in the port
// directory points at the device. These make and remove such links.

constexpr int LAST_COM = SERIAL_PORT_TABLE_SIZE - 1;  // the program's highest COM number

// The directory in which the program looks for COM links ($LUMO2_PORT_DIR,
// else $XDG_RUNTIME_DIR/lumo2/ports, else ~/.lumo2/ports).
std::string port_link_dir();
std::string port_link_path(int number);

// Links COM<wanted> (or, with wanted <= 0, the first free number from 200
// up) to `target`, creating the directory. A link whose target is gone is
// stale and taken over. Returns the number, or -1 with a reason in `error`.
int link_com_port(const std::string& target, int wanted, std::string& error);
// Removes COM<number> if it still points at `target`.
void unlink_com_port(int number, const std::string& target);
