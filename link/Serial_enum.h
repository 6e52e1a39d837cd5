#pragma once
#include "link/Serial_ports.h"

// Finds the present serial ports. Short-lived: made, scanned once and
// destroyed for every refresh of the port list.
class Tserial_enum {
public:
    Tserial_enum();
    ~Tserial_enum();
    Tserial_enum(const Tserial_enum&) = delete;
    Tserial_enum& operator=(const Tserial_enum&) = delete;

    // Entry n becomes 1 when port COM<n> is present, else 0; entry 0 is 0.
    void scan(unsigned char table[SERIAL_PORT_TABLE_SIZE]);

private:
    // What the platform's half keeps between construction and the scan.
    struct Tplatform;
    Tplatform* platform;
};

// The port a device's "portname" value names: "COM" in any case followed by
// a number as the C library reads one (leading blanks and a sign allowed,
// up to the first other character). 0 for any other name (printer ports)
// and for numbers outside 1-255.
int serial_port_of_name(const char* name);

class Tmy_string;

// What the system tells of the port beyond its number, for the port list:
// on Linux the maker and product of the adapter (USB) the port opens;
// on Windows the device's friendly name. Empty when there is nothing.
void serial_port_description(int port, Tmy_string* out);
