#include "sim/Sim_wire.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <unistd.h>

namespace sim_wire {

int open_slave(const std::string& path) { return open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK); }

void send(int fd, const std::string& bytes) {
    [[maybe_unused]] const auto written = write(fd, bytes.data(), bytes.size());
}

namespace {

// Reads into `out` until `done(out)` or the deadline; false on hang-up.
template <class Done>
void read_while(int fd, std::string& out, int timeout_ms, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done(out)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return;
        pollfd in = {fd, POLLIN, 0};
        if (poll(&in, 1, int(left.count())) <= 0) return;
        char buffer[512];
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count <= 0) return;
        out.append(buffer, std::size_t(count));
    }
}

}  // namespace

std::string read_until(int fd, char end, int timeout_ms) {
    std::string out;
    read_while(fd, out, timeout_ms, [end](const std::string& s) { return s.find(end) != std::string::npos; });
    return out;
}

std::vector<std::string> read_lines(int fd, std::size_t count, int timeout_ms) {
    std::string out;
    read_while(fd, out, timeout_ms, [count](const std::string& s) {
        return std::size_t(std::count(s.begin(), s.end(), '\n')) >= count;
    });
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(out.substr(start, end + 1 - start));
    return lines;
}

std::string read_for(int fd, int ms) {
    std::string out;
    read_while(fd, out, ms, [](const std::string&) { return false; });
    return out;
}

std::vector<std::string> tokens(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string token; in >> token;) out.push_back(token);
    return out;
}

double word_mv(const std::string& high, const std::string& low) {
    const std::uint32_t raw = std::uint32_t(std::stoul(high) * 65536u + std::stoul(low));
    return raw * 10000.0 / 67108864.0;
}

std::vector<std::uint8_t> unstuff(const std::string& wire) {
    std::vector<std::uint8_t> body;
    bool escape = false;
    for (std::size_t i = 1; i < wire.size() && wire[i] != '!'; ++i) {
        auto byte = static_cast<std::uint8_t>(wire[i]);
        if (byte == 0x7E) {
            escape = true;
            continue;
        }
        body.push_back(escape ? std::uint8_t(byte ^ 0x7E) : byte);
        escape = false;
    }
    return body;
}

bool checksum_ok(const std::vector<std::uint8_t>& body) {
    if (body.size() < 3 || body[2] + 5u > body.size()) return false;
    unsigned sum = 0;
    for (unsigned i = 0; i < body[2] + 5u; ++i) sum += body[i];
    return (sum & 0xFF) == 0xFF;
}

float big_endian_float(const std::vector<std::uint8_t>& body, std::size_t offset) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) bits = bits << 8 | body.at(offset + i);
    return std::bit_cast<float>(bits);
}

}  // namespace sim_wire
