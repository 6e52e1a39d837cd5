#pragma once
#include <condition_variable>
#include <mutex>
#include <string>

#include "link/Inprocess_port.h"
#include "sim/Sim_line.h"

// A line inside the program: the simulator's end (Tsim_line) and the
// device a serial port of the program opens (Tinprocess_device).
class Tinprocess_line : public Tsim_line, public Tinprocess_device {
public:
    explicit Tinprocess_line(std::string line_name) : label(std::move(line_name)) {}

    void wait(int timeout_ms, std::string* bytes) override;
    void wake() override;
    void write(const std::string& bytes) override;
    void hang_up() override;
    std::string name() const override { return label; }

    bool attach(Tinprocess_port* port) override;
    void receive(const unsigned char* bytes, unsigned length) override;

private:
    const std::string label;
    std::mutex mutex;
    std::condition_variable arrived;
    std::string from_program;
    bool woken = false;
    bool ended = false;
    Tinprocess_port* port = nullptr;
};
