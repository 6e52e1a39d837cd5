#pragma once
#include <cstddef>
#include <string>

// The two ends of a serial line: the code under test opens device_path();
// the test plays the instrument on the far end. On POSIX a pseudo-terminal;
// on Windows two COM ports joined outside the test (scripts/windows.sh),
// named by LUMO2_TEST_PORT_PAIRS as "near:far" numbers separated by blanks;
// the joiner takes a pair down when a file "hangup-<far>" appears in the
// folder LUMO2_TEST_PORT_CONTROL.
class Tport_pair {
public:
    Tport_pair();
    ~Tport_pair();
    Tport_pair(const Tport_pair&) = delete;
    Tport_pair& operator=(const Tport_pair&) = delete;

    bool ok() const;
    const std::string& device_path() const { return near_path; }
    // Why ok() is false, for the test's failure message.
    const std::string& problem() const { return why; }
    void write_text(const std::string& text) const;
    // What the near end wrote, waiting up to timeout_ms for want bytes.
    std::string read_bytes(size_t want, int timeout_ms = 2000) const;
    // The far end goes away, as an unplugged instrument: the near end hangs up.
    void close_far_end();
    // Makes the near end a port that the connection master opens as COM<n>,
    // and returns n (0 when it cannot).
    int offer_as_com_port();
    // Whether the system's port list shows such an offered port; the reason
    // where it does not.
    static bool offered_port_listed(std::string* why_not);

private:
    struct Tfar_end;
    Tfar_end* remote = nullptr;
    std::string near_path;
    std::string why;
};
