#include "link/Serial_ports.h"

int serial_port_number(const char* path) {
    if (!path)
        return 0;
    if (path[0] == '\\' && path[1] == '\\' && path[2] == '.' && path[3] == '\\')
        path += 4;
    for (int i = 0; i < 3; ++i)
        if ((path[i] | 0x20) != "com"[i])
            return 0;
    const char* digits = path + 3;
    if (!*digits)
        return 0;
    int number = 0;
    for (const char* p = digits; *p; ++p) {
        if (*p < '0' || *p > '9' || number >= SERIAL_PORT_TABLE_SIZE)
            return 0;
        number = number * 10 + (*p - '0');
    }
    return number > 0 && number < SERIAL_PORT_TABLE_SIZE ? number : 0;
}
