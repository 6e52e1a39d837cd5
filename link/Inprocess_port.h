#pragma once
#include <memory>
#include <string>

#include "link/Serial_ports.h"

// A serial device played inside the program (the simulated instrument where
// the system offers no pseudo-terminals). It is registered under a COM
// number, listed with the present ports, and opened like any of them.

// The program's end of such a port, as the device sees it.
class Tinprocess_port {
public:
    virtual ~Tinprocess_port() = default;
    // Bytes from the device to the program; any thread.
    virtual void deliver(const std::string& bytes) = 0;
    // The device ends the line: the program's port hangs up. Any thread.
    virtual void hang_up() = 0;
};

class Tinprocess_device {
public:
    virtual ~Tinprocess_device() = default;
    // The port that opened the device, or null when it closes; false when
    // the device's line has ended and it takes no port any more. A device
    // delivers to at most one port, and never again once it is detached.
    virtual bool attach(Tinprocess_port* port) = 0;
    // Bytes the program wrote to the port.
    virtual void receive(const unsigned char* bytes, unsigned length) = 0;
};

// Registers the device under COM<number> (replacing any other), or with a
// null device removes the registration. Any thread.
void register_inprocess_device(int number, std::shared_ptr<Tinprocess_device> device);
// The device registered under the number, or null.
std::shared_ptr<Tinprocess_device> inprocess_device(int number);
// The first number from `first` up with neither a present port nor a
// registered device; 0 when there is none.
int free_inprocess_number(int first, const unsigned char present[SERIAL_PORT_TABLE_SIZE]);
// Marks every registered number present in the table.
void mark_inprocess_devices(unsigned char table[SERIAL_PORT_TABLE_SIZE]);
