#pragma once
// Test-side helpers that talk to the simulator as the program would: plain
// POSIX on the slave side and an independent reading of the answers.
#include <cstdint>
#include <string>
#include <vector>

namespace sim_wire {

int open_slave(const std::string& path);
void send(int fd, const std::string& bytes);
// Reads until `end` has arrived (returns everything up to and including it)
// or `timeout_ms` passes (returns what came).
std::string read_until(int fd, char end, int timeout_ms = 2000);
// The first `count` LF-ended lines that arrive (fewer after a time-out).
std::vector<std::string> read_lines(int fd, std::size_t count, int timeout_ms = 2000);
// Everything that arrives within `ms`.
std::string read_for(int fd, int ms);

std::vector<std::string> tokens(const std::string& line);
// Two decimal words high, low -> mV, as the instrument defines them.
double word_mv(const std::string& high, const std::string& low);
// '$' ... '!' -> the unstuffed bytes between them.
std::vector<std::uint8_t> unstuff(const std::string& wire);
bool checksum_ok(const std::vector<std::uint8_t>& body);
float big_endian_float(const std::vector<std::uint8_t>& body, std::size_t offset);

}  // namespace sim_wire
