#include "link/Serial_ports_posix.h"

#include <sys/stat.h>

#include <cstdlib>

#include "events/My_string.h"

namespace {

constexpr int FIXED_GROUP_SIZE = 32;
const char* const FIXED_DEVICE_PREFIX[] = {"/dev/ttyS", "/dev/ttyUSB", "/dev/ttyACM"};
constexpr int FIXED_GROUPS = sizeof FIXED_DEVICE_PREFIX / sizeof FIXED_DEVICE_PREFIX[0];

bool non_empty(const char* text) { return text && *text; }

}  // namespace

void serial_port_link_directory(Tmy_string* out) {
    const char* explicit_dir = getenv("LUMO2_PORT_DIR");
    const char* runtime_dir = getenv("XDG_RUNTIME_DIR");
    const char* home = getenv("HOME");
    if (non_empty(explicit_dir))
        out->assign(explicit_dir);
    else if (non_empty(runtime_dir))
        out->format("%s/lumo2/ports", runtime_dir);
    else
        out->format("%s/.lumo2/ports", non_empty(home) ? home : ".");
}

void serial_fixed_device(int port, Tmy_string* out) {
    out->clear();
    if (port < 1 || port > FIXED_GROUPS * FIXED_GROUP_SIZE)
        return;
    const int index = port - 1;
    out->format("%s%d", FIXED_DEVICE_PREFIX[index / FIXED_GROUP_SIZE], index % FIXED_GROUP_SIZE);
}

void serial_port_path(int port, Tmy_string* out) {
    Tmy_string name;
    name.format("COM%d", port);
    if (!serial_resolve_device(name.c_str(), out))
        out->assign(&name);
}

bool serial_resolve_device(const char* path, Tmy_string* out) {
    out->clear();
    if (!path || !*path)
        return false;
    if (path[0] == '/') {
        out->assign(path);
        return true;
    }
    const int port = serial_port_number(path);
    if (port == 0)
        return false;
    Tmy_string link;
    serial_port_link_directory(&link);
    link.appendFormat("/COM%d", port);
    struct stat info;
    if (lstat(link.c_str(), &info) == 0) {
        out->assign(&link);
        return true;
    }
    serial_fixed_device(port, out);
    return out->length() > 0;
}
