#pragma once
#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "sim/Breakthrough.h"
#include "sim/Sim_line.h"
#include "sim/Zeta_answer.h"
#include "sim/Zeta_model.h"

// Faults the simulator can put on the line, for tests. Each one but
// `disconnect` replaces or spoils the answer to the next request.
enum class Tfault_kind {
    garbage,       // a line of `bytes` junk bytes (CR LF ended) before the answer
    bad_checksum,  // the answer as a frame whose checksum is one off
    truncated,     // only the first half of the answer, without its end
    no_answer,     // the request is not answered
    burst,         // `bytes` junk bytes instead of the answer, no line or frame end
    disconnect,    // at once: the line is ended (the program's port hangs up)
};

struct Tfault {
    Tfault_kind kind;
    unsigned bytes = 0;  // garbage and burst length; 0 gives 16 and 1000
};

struct Tsim_counters {
    std::uint64_t requests = 0;       // request bytes 0x40..0x4F received
    std::uint64_t ignored_bytes = 0;  // any other byte received
    std::uint64_t answers = 0;        // answers written, whole or spoilt
    std::array<std::uint64_t, 16> by_mask{};  // requests per lamp mask
};

// A ZETA QX-2 on the master side of a pseudo-terminal, which the program
// under test opens as slave_path() like any serial port, or on a line inside
// the program. One thread reads request bytes and writes the answers after
// the configured delay; every setter may be called from any thread while it
// runs.
class Tzeta_simulator {
public:
    using Tobserver = std::function<void(unsigned char request, const std::string& wire)>;

    Tzeta_simulator();
    ~Tzeta_simulator();
    Tzeta_simulator(const Tzeta_simulator&) = delete;
    Tzeta_simulator& operator=(const Tzeta_simulator&) = delete;

    // Opens a pseudo-terminal and starts answering; false (with a reason
    // in `error`) when the terminal cannot be made or it already runs.
    bool start(std::string* error = nullptr);
    // Starts answering on the given line instead.
    bool start_on(std::shared_ptr<Tsim_line> line, std::string* error = nullptr);
    // Stops answering and ends the line; the program sees a hang-up.
    void stop();
    bool running() const;
    std::string slave_path() const;

    void set_cell(const Tcell& cell);
    Tcell cell() const;
    // The cell with the scenario's current concentration added.
    Tcell cell_now() const;
    void set_scenario(const Tbreakthrough& scenario);  // its time 0 is now
    void clear_scenario();
    void set_form(Tanswer_form form);
    Tanswer_form form() const;
    void set_noise(double level, std::uint32_t seed);
    double noise() const;
    void set_delay_ms(int milliseconds);
    int delay_ms() const;
    void set_temperature(double celsius);
    void set_battery(double volts);
    void inject(Tfault fault);
    Tsim_counters requests_seen() const;
    // Called on the simulator's thread with every answer's bytes as written
    // (empty when a fault suppressed it). Set it before start().
    void set_observer(Tobserver observer);

    // The noise-free reading the model gives for a cell.
    Tzeta_reading expected_reading(const Tcell& cell) const;

private:
    using Tclock = std::chrono::steady_clock;
    struct Tpending {
        Tclock::time_point due;
        unsigned char request;
    };

    void run();
    void receive(const std::string& bytes);
    void answer(unsigned char request);
    std::string compose(unsigned char request, const Tzeta_reading& reading, std::optional<Tfault> fault);
    std::string junk(unsigned length);
    void wake();
    Tcell cell_now_locked() const;

    mutable std::mutex mutex;
    Tzeta_model model;
    Tcell base_cell;
    std::optional<Tbreakthrough> scenario;
    Tclock::time_point scenario_start;
    Tanswer_form answer_form = Tanswer_form::text;
    double noise_level = 0.0;
    std::mt19937 rng;
    int answer_delay_ms = 2000;
    std::deque<Tfault> faults;
    bool disconnect_requested = false;
    Tsim_counters counters;
    unsigned sequence = 0;
    Tobserver observer;

    std::deque<Tpending> pending;  // touched by the thread only
    std::shared_ptr<Tsim_line> line;  // set while the thread runs
    bool stopping = false;
    bool alive = false;
    std::thread worker;
};
