#include "sim/Port_link.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "events/My_string.h"

namespace {

bool make_dirs(const std::string& dir) {
    for (std::size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string part = dir.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

std::string link_target(const std::string& link) {
    char buffer[4096];
    const ssize_t length = readlink(link.c_str(), buffer, sizeof buffer - 1);
    return length < 0 ? std::string() : std::string(buffer, std::size_t(length));
}

// True when the link was made; a live entry of that name is left alone.
bool try_link(const std::string& target, const std::string& link) {
    if (symlink(target.c_str(), link.c_str()) == 0) return true;
    if (errno != EEXIST) return false;
    struct stat status{};
    if (stat(link.c_str(), &status) == 0) {
        errno = EEXIST;
        return false;
    }
    // Stale: the device it named is gone.
    return unlink(link.c_str()) == 0 && symlink(target.c_str(), link.c_str()) == 0;
}

}  // namespace

std::string port_link_dir() {
    Tmy_string dir;
    serial_port_link_directory(&dir);
    return dir.c_str();
}

std::string port_link_path(int number) { return port_link_dir() + "/COM" + std::to_string(number); }

int link_com_port(const std::string& target, int wanted, std::string& error) {
    const std::string dir = port_link_dir();
    if (!make_dirs(dir)) {
        error = dir + ": " + std::strerror(errno);
        return -1;
    }
    if (wanted > 0) {
        if (try_link(target, port_link_path(wanted))) return wanted;
        error = port_link_path(wanted) + ": " + (errno == EEXIST ? "in use" : std::strerror(errno));
        return -1;
    }
    for (int number = FIRST_SIMULATED_COM; number <= LAST_COM; ++number) {
        if (try_link(target, port_link_path(number))) return number;
        if (errno != EEXIST) {
            error = port_link_path(number) + ": " + std::strerror(errno);
            return -1;
        }
    }
    error = "no free COM number in " + dir;
    return -1;
}

void unlink_com_port(int number, const std::string& target) {
    const std::string link = port_link_path(number);
    if (number > 0 && link_target(link) == target) unlink(link.c_str());
}
