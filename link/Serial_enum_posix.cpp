#include "link/Serial_enum.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "events/My_string.h"
#include "link/Serial_ports_posix.h"

namespace {

bool is_character_device(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISCHR(info.st_mode);
}

// A /dev/ttyS node exists for every possible UART; only those whose UART
// type is known are real ports. The kernel tells through sysfs, or else
// through the device itself.
bool uart_present(const char* device) {
    const char* base = strrchr(device, '/');
    base = base ? base + 1 : device;
    char type_file[96];
    snprintf(type_file, sizeof type_file, "/sys/class/tty/%s/type", base);
    if (FILE* file = fopen(type_file, "r")) {
        int type = 0;
        const bool read = fscanf(file, "%d", &type) == 1;
        fclose(file);
        return read && type != PORT_UNKNOWN;
    }
    const int fd = open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct serial_struct info;
    const bool known = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    close(fd);
    return known;
}

// A port is present through its link in the port-link directory or, without
// a link, through its fixed-scheme device.
bool present(const Tmy_string& link_directory, int port) {
    Tmy_string path;
    path.format("%s/COM%d", link_directory.c_str(), port);
    struct stat info;
    if (lstat(path.c_str(), &info) == 0)
        return is_character_device(path.c_str());
    serial_fixed_device(port, &path);
    if (path.length() == 0 || !is_character_device(path.c_str()))
        return false;
    return strncmp(path.c_str(), "/dev/ttyS", 9) != 0 || uart_present(path.c_str());
}

// The first line of a small sysfs file, without its line end.
std::string first_line(const std::string& path) {
    std::string line;
    FILE* file = fopen(path.c_str(), "r");
    if (!file)
        return line;
    char buffer[128];
    if (fgets(buffer, sizeof buffer, file))
        line = buffer;
    fclose(file);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

// The USB device above the tty's interface, where the kernel keeps the
// adapter's maker and product names.
std::string usb_product(const char* device) {
    const char* base = strrchr(device, '/');
    const std::string sys = std::string("/sys/class/tty/") + (base ? base + 1 : device) + "/device";
    char resolved[PATH_MAX];
    if (!realpath(sys.c_str(), resolved))
        return std::string();
    std::string dir = resolved;
    for (int level = 0; level < 4 && dir.size() > 1; ++level) {
        const std::string product = first_line(dir + "/product");
        if (!product.empty()) {
            const std::string maker = first_line(dir + "/manufacturer");
            return maker.empty() ? product : maker + " " + product;
        }
        dir.erase(dir.rfind('/'));
    }
    return std::string();
}

}  // namespace

void serial_port_description(int port, Tmy_string* out) {
    out->clear();
    Tmy_string path;
    char device[PATH_MAX];
    if (!serial_resolve_device(("COM" + std::to_string(port)).c_str(), &path) || !realpath(path.c_str(), device) ||
        !is_character_device(device))
        return;
    out->assign(usb_product(device).c_str());
}

struct Tserial_enum::Tplatform {
    Tmy_string link_directory;
};

Tserial_enum::Tserial_enum() : platform(new (std::nothrow) Tplatform) {
    if (platform)
        serial_port_link_directory(&platform->link_directory);
}

Tserial_enum::~Tserial_enum() { delete platform; }

void Tserial_enum::scan(unsigned char table[SERIAL_PORT_TABLE_SIZE]) {
    memset(table, 0, SERIAL_PORT_TABLE_SIZE);
    if (!platform)
        return;
    for (int port = 1; port < SERIAL_PORT_TABLE_SIZE; ++port)
        table[port] = present(platform->link_directory, port) ? 1 : 0;
}
