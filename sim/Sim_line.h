#pragma once
#include <memory>
#include <string>

// The simulator's end of the line to the program under test: a
// pseudo-terminal the program opens as a serial port, or a port played
// inside the program itself.
class Tsim_line {
public:
    virtual ~Tsim_line() = default;

    // Waits up to timeout_ms (-1: until bytes come or wake() is called) and
    // appends the bytes the program sent to *bytes.
    virtual void wait(int timeout_ms, std::string* bytes) = 0;
    // Ends a wait at once; any thread.
    virtual void wake() = 0;
    // Gives the bytes to the program; a program that does not read loses them.
    virtual void write(const std::string& bytes) = 0;
    // Ends the line; the program sees its port hang up.
    virtual void hang_up() = 0;
    // What the program opens, for messages: the terminal's path.
    virtual std::string name() const = 0;
};
