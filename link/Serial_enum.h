#pragma once
#include "events/My_string.h"
#include "link/Serial_ports.h"

// Finds the present serial ports. Short-lived: made, scanned once and
// destroyed for every refresh of the port list.
class Tserial_enum {
public:
    Tserial_enum();
    Tserial_enum(const Tserial_enum&) = delete;
    Tserial_enum& operator=(const Tserial_enum&) = delete;

    // Entry n becomes 1 when port COM<n> is present, else 0; entry 0 is 0.
    void scan(unsigned char table[SERIAL_PORT_TABLE_SIZE]);

private:
    bool present(int port) const;

    Tmy_string link_directory;
};
