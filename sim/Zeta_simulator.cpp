#include "sim/Zeta_simulator.h"

#include <ctime>

#include "sim/Sim_port.h"

namespace {

constexpr unsigned DEFAULT_GARBAGE_BYTES = 16;
constexpr unsigned DEFAULT_BURST_BYTES = 1000;

bool is_line_or_frame_byte(unsigned char byte) {
    return byte == '\n' || byte == '\r' || byte == '$' || byte == '!' || byte == '~';
}

}  // namespace

Tzeta_simulator::Tzeta_simulator() : rng(1) {}

Tzeta_simulator::~Tzeta_simulator() { stop(); }

bool Tzeta_simulator::start(std::string* error) {
    if (worker.joinable()) {
        if (error) *error = "the simulator already runs";
        return false;
    }
    std::unique_ptr<Tsim_line> terminal = open_terminal_line(error);
    return terminal && start_on(std::move(terminal), error);
}

bool Tzeta_simulator::start_on(std::shared_ptr<Tsim_line> new_line, std::string* error) {
    if (worker.joinable()) {
        if (error) *error = "the simulator already runs";
        return false;
    }
    line = std::move(new_line);
    {
        std::lock_guard lock(mutex);
        stopping = false;
        disconnect_requested = false;
        alive = true;
    }
    worker = std::thread(&Tzeta_simulator::run, this);
    return true;
}

void Tzeta_simulator::stop() {
    if (!worker.joinable()) return;
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    wake();
    worker.join();
    line->hang_up();
    line.reset();
}

bool Tzeta_simulator::running() const {
    std::lock_guard lock(mutex);
    return alive;
}

std::string Tzeta_simulator::slave_path() const { return line ? line->name() : std::string(); }

void Tzeta_simulator::set_cell(const Tcell& cell) {
    std::lock_guard lock(mutex);
    base_cell = cell;
}

Tcell Tzeta_simulator::cell() const {
    std::lock_guard lock(mutex);
    return base_cell;
}

Tcell Tzeta_simulator::cell_now() const {
    std::lock_guard lock(mutex);
    return cell_now_locked();
}

Tcell Tzeta_simulator::cell_now_locked() const {
    Tcell cell = base_cell;
    if (scenario) {
        const double seconds = std::chrono::duration<double>(Tclock::now() - scenario_start).count();
        cell.ppb[scenario->tracer_code] += scenario->ppb_at(seconds);
    }
    return cell;
}

void Tzeta_simulator::set_scenario(const Tbreakthrough& breakthrough) {
    std::lock_guard lock(mutex);
    scenario = breakthrough;
    scenario_start = Tclock::now();
}

void Tzeta_simulator::clear_scenario() {
    std::lock_guard lock(mutex);
    scenario.reset();
}

void Tzeta_simulator::set_form(Tanswer_form form) {
    std::lock_guard lock(mutex);
    answer_form = form;
}

Tanswer_form Tzeta_simulator::form() const {
    std::lock_guard lock(mutex);
    return answer_form;
}

void Tzeta_simulator::set_noise(double level, std::uint32_t seed) {
    std::lock_guard lock(mutex);
    noise_level = level;
    rng.seed(seed);
}

double Tzeta_simulator::noise() const {
    std::lock_guard lock(mutex);
    return noise_level;
}

void Tzeta_simulator::set_delay_ms(int milliseconds) {
    std::lock_guard lock(mutex);
    answer_delay_ms = milliseconds < 0 ? 0 : milliseconds;
}

int Tzeta_simulator::delay_ms() const {
    std::lock_guard lock(mutex);
    return answer_delay_ms;
}

void Tzeta_simulator::set_temperature(double celsius) {
    std::lock_guard lock(mutex);
    model.temperature_c = celsius;
}

void Tzeta_simulator::set_battery(double volts) {
    std::lock_guard lock(mutex);
    model.battery_v = volts;
}

void Tzeta_simulator::inject(Tfault fault) {
    {
        std::lock_guard lock(mutex);
        if (fault.kind == Tfault_kind::disconnect)
            disconnect_requested = true;
        else
            faults.push_back(fault);
    }
    wake();
}

Tsim_counters Tzeta_simulator::requests_seen() const {
    std::lock_guard lock(mutex);
    return counters;
}

void Tzeta_simulator::set_observer(Tobserver callback) {
    std::lock_guard lock(mutex);
    observer = std::move(callback);
}

Tzeta_reading Tzeta_simulator::expected_reading(const Tcell& cell) const {
    std::lock_guard lock(mutex);
    return model.reading(cell);
}

void Tzeta_simulator::wake() {
    if (line) line->wake();
}

void Tzeta_simulator::run() {
    for (;;) {
        {
            std::lock_guard lock(mutex);
            if (stopping) break;
            if (disconnect_requested) {
                line->hang_up();
                alive = false;
                break;
            }
        }
        int timeout = -1;
        if (!pending.empty()) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(pending.front().due - Tclock::now());
            timeout = wait.count() < 0 ? 0 : int(wait.count());
        }
        std::string bytes;
        line->wait(timeout, &bytes);
        if (!bytes.empty()) receive(bytes);
        while (!pending.empty() && pending.front().due <= Tclock::now()) {
            const unsigned char request = pending.front().request;
            pending.pop_front();
            answer(request);
        }
    }
    std::lock_guard lock(mutex);
    alive = false;
}

void Tzeta_simulator::receive(const std::string& bytes) {
    std::lock_guard lock(mutex);
    for (const char received : bytes) {
        const auto byte = static_cast<unsigned char>(received);
        if (!is_request(byte)) {
            ++counters.ignored_bytes;
            continue;
        }
        ++counters.requests;
        ++counters.by_mask[request_mask(byte)];
        // Answers leave in the order of their requests.
        auto due = Tclock::now() + std::chrono::milliseconds(answer_delay_ms);
        if (!pending.empty() && pending.back().due > due) due = pending.back().due;
        pending.push_back({due, byte});
    }
}

void Tzeta_simulator::answer(unsigned char request) {
    std::string wire;
    Tobserver notify;
    {
        std::lock_guard lock(mutex);
        Tzeta_reading reading = model.reading(cell_now_locked());
        model.add_noise(reading, noise_level, rng);
        std::optional<Tfault> fault;
        if (!faults.empty()) {
            fault = faults.front();
            faults.pop_front();
        }
        ++sequence;
        wire = compose(request, reading, fault);
        if (!wire.empty()) ++counters.answers;
        notify = observer;
    }
    line->write(wire);
    if (notify) notify(request, wire);
}

std::string Tzeta_simulator::compose(unsigned char request, const Tzeta_reading& reading,
                                     std::optional<Tfault> fault) {
    const auto whole = [&](Tanswer_form form) {
        if (form == Tanswer_form::frame) return stuff_frame(frame_body(reading, sequence));
        return text_answer(request, reading, form == Tanswer_form::text_time, std::time(nullptr), sequence);
    };
    if (!fault) return whole(answer_form);
    switch (fault->kind) {
    case Tfault_kind::garbage:
        return junk(fault->bytes ? fault->bytes : DEFAULT_GARBAGE_BYTES) + "\r\n" + whole(answer_form);
    case Tfault_kind::bad_checksum: {
        auto body = frame_body(reading, sequence);
        ++body.back();
        return stuff_frame(body);
    }
    case Tfault_kind::truncated: {
        const std::string full = whole(answer_form);
        return full.substr(0, full.size() / 2);
    }
    case Tfault_kind::burst:
        return junk(fault->bytes ? fault->bytes : DEFAULT_BURST_BYTES);
    case Tfault_kind::no_answer:
    case Tfault_kind::disconnect:
        break;
    }
    return {};
}

// Random bytes that can neither end a line nor open, close or escape a frame.
std::string Tzeta_simulator::junk(unsigned length) {
    std::uniform_int_distribution<int> byte(1, 255);
    std::string bytes;
    while (bytes.size() < length) {
        const auto b = static_cast<unsigned char>(byte(rng));
        if (!is_line_or_frame_byte(b)) bytes += char(b);
    }
    return bytes;
}
