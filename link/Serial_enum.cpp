#include "link/Serial_enum.h"

#include <cstdlib>

int serial_port_of_name(const char* name) {
    if (!name)
        return 0;
    for (int i = 0; i < 3; ++i)
        if (!name[i] || (name[i] | 0x20) != "com"[i])
            return 0;
    const long number = strtol(name + 3, nullptr, 10);
    return number > 0 && number < SERIAL_PORT_TABLE_SIZE ? int(number) : 0;
}
