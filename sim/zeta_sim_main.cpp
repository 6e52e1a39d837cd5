// zeta-sim: a simulated ZETA QX-2 fluorometer on a pseudo-terminal, reachable
// from Lumo 2 as a COM port.
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "events/My_string.h"
#include "sim/Breakthrough.h"
#include "sim/Cell_text.h"
#include "sim/Port_link.h"
#include "sim/Simulated_calibration.h"
#include "sim/Zeta_simulator.h"

namespace {

const char* const usage =
    "Usage: zeta-sim [options]\n"
    "Simulates a ZETA QX-2 fluorometer on a pseudo-terminal and links it as a COM\n"
    "port, so that Lumo 2 (or any serial program) can talk to it without hardware.\n"
    "It answers each request byte 0x40..0x4F ('@'..'O': lamp mask A=1 B=2 C=4 T=8)\n"
    "with a text line or a binary frame, and ignores every other byte.\n"
    "\n"
    "Options:\n"
    "  --com N           link as COM<N>, 1 to 255 (default: the first free number\n"
    "                    from 200)\n"
    "  --cell CONTENTS   what is in the cell (default: water), e.g.\n"
    "                      --cell uranine=10,turbidity=5\n"
    "                    tracers: water, uranine, eosine, sulforhodamineb,\n"
    "                    aminogacid, naphtionate (or their codes 1..6), in ppb;\n"
    "                    turbidity (or ntu) in NTU\n"
    "  --form FORM       answer form: text, text-time (with a time stamp) or frame\n"
    "                    (default: text)\n"
    "  --noise LEVEL     noise level, 0 for none (default: 0.05); the standard\n"
    "                    deviation of a lamp signal is LEVEL x (1 mV + 1 % of it)\n"
    "  --seed N          seed of the noise (default: 1)\n"
    "  --delay MS        answer delay in milliseconds (default: 2000)\n"
    "  --temperature C   water temperature in degC (default: 11.5)\n"
    "  --battery V       battery voltage (default: 12.4)\n"
    "  --scenario breakthrough[:KEY=VALUE,...]\n"
    "                    a tracer test: the tracer's concentration follows a\n"
    "                    breakthrough curve from the start, on top of --cell; keys:\n"
    "                      tracer   the tracer (default: uranine)\n"
    "                      peak     peak concentration in ppb (default: 50)\n"
    "                      transit  mean transit time in seconds (default: 600)\n"
    "                      peclet   Peclet number, larger is sharper (default: 20)\n"
    "  --write-constants FILE\n"
    "                    write the calibration constants file of a calibration on\n"
    "                    this instrument's standards (configuration I,II,III, no\n"
    "                    noise) and exit; load it in Lumo 2's view window\n"
    "  --quiet           do not print a line per answer\n"
    "  --help            show this help\n"
    "\n"
    "The COM link lives in $LUMO2_PORT_DIR, else $XDG_RUNTIME_DIR/lumo2/ports,\n"
    "else ~/.lumo2/ports; it is removed on Ctrl+C (SIGINT) or SIGTERM.\n";

struct Toptions {
    int com = 0;
    Tcell cell;
    Tanswer_form form = Tanswer_form::text;
    double noise = 0.05;
    double seed = 1;
    double delay_ms = 2000;
    double temperature = 11.5;
    double battery = 12.4;
    bool has_scenario = false;
    Tbreakthrough scenario;
    bool quiet = false;
    std::string constants_path;
};

bool parse_form(std::string_view text, Tanswer_form& form) {
    if (text == "text") form = Tanswer_form::text;
    else if (text == "text-time") form = Tanswer_form::text_time;
    else if (text == "frame") form = Tanswer_form::frame;
    else return false;
    return true;
}

bool parse_whole(std::string_view text, double& value, double minimum, double maximum) {
    return parse_number(text, value) && value >= minimum && value <= maximum && value == std::floor(value);
}

bool takes_value(std::string_view option) {
    static constexpr std::string_view NAMES[] = {"--com",   "--delay",       "--battery",  "--cell",
                                                 "--noise", "--temperature", "--scenario", "--form",
                                                 "--seed",  "--write-constants"};
    return std::find(std::begin(NAMES), std::end(NAMES), option) != std::end(NAMES);
}

// Returns 0 to run, 1 after --help, 2 on a bad command line.
int parse_options(int argc, char** argv, Toptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(usage, stdout);
            return 1;
        }
        if (option == "--quiet") {
            options.quiet = true;
            continue;
        }
        if (!takes_value(option)) {
            std::fprintf(stderr, "zeta-sim: unknown option %s (see --help)\n", argv[i]);
            return 2;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "zeta-sim: %s needs a value (see --help)\n", argv[i]);
            return 2;
        }
        const std::string_view value = argv[++i];
        std::string error = "bad value \"" + std::string(value) + "\"";
        double com = 0;
        bool ok = true;
        if (option == "--com") {
            ok = parse_whole(value, com, 1, LAST_COM);
            options.com = int(com);
        } else if (option == "--cell") ok = parse_cell(value, options.cell, error);
        else if (option == "--form") ok = parse_form(value, options.form);
        else if (option == "--noise") ok = parse_number(value, options.noise) && options.noise >= 0;
        else if (option == "--seed") ok = parse_whole(value, options.seed, 0, 4294967295.0);
        else if (option == "--delay") ok = parse_whole(value, options.delay_ms, 0, 3600000.0);
        else if (option == "--temperature") ok = parse_number(value, options.temperature) && options.temperature >= 0;
        else if (option == "--battery") ok = parse_number(value, options.battery) && options.battery >= 0;
        else if (option == "--scenario") ok = options.has_scenario = parse_breakthrough(value, options.scenario, error);
        else options.constants_path = value;  // --write-constants
        if (!ok) {
            std::fprintf(stderr, "zeta-sim: %s: %s\n", argv[i - 1], error.c_str());
            return 2;
        }
    }
    return 0;
}

void print_answer(unsigned char request, const std::string& wire) {
    if (wire.empty())
        std::printf("request '%c': no answer\n", request);
    else if (wire.front() == '$')
        std::printf("request '%c': frame of %zu bytes\n", request, wire.size());
    else
        std::printf("request '%c': %s\n", request, wire.substr(0, wire.find_last_not_of("\r\n") + 1).c_str());
    std::fflush(stdout);
}

void configure(Tzeta_simulator& simulator, const Toptions& options) {
    simulator.set_cell(options.cell);
    simulator.set_form(options.form);
    simulator.set_noise(options.noise, std::uint32_t(options.seed));
    simulator.set_delay_ms(int(options.delay_ms));
    simulator.set_temperature(options.temperature);
    simulator.set_battery(options.battery);
    if (options.has_scenario) simulator.set_scenario(options.scenario);
    if (!options.quiet) simulator.set_observer(print_answer);
}

// 0 when written, 1 when the file cannot be written or the constants fail a rule.
int write_constants(const std::string& path) {
    Tmy_string text;
    const bool valid = simulated_constants(&text);
    FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(text.c_str(), 1, text.length(), file) == text.length();
    if (file && std::fclose(file) != 0) return 1;
    if (!written || !valid) {
        std::fprintf(stderr, "zeta-sim: %s\n", written ? "the constants break a validity rule" : "cannot write the file");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Toptions options;
    if (const int result = parse_options(argc, argv, options)) return result == 1 ? 0 : result;
    if (!options.constants_path.empty()) return write_constants(options.constants_path);

    // Block the stop signals in every thread, so that only sigwait sees them.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    Tzeta_simulator simulator;
    configure(simulator, options);
    std::string error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "zeta-sim: %s\n", error.c_str());
        return 1;
    }
    const int com = link_com_port(simulator.slave_path(), options.com, error);
    if (com < 0) {
        std::fprintf(stderr, "zeta-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("zeta-sim: simulated ZETA QX-2 on %s, linked as COM%d (%s)\n", simulator.slave_path().c_str(),
                com, port_link_path(com).c_str());
    std::printf("cell: %s%s; select COM%d in Lumo 2. Ctrl+C stops.\n", describe_cell(options.cell).c_str(),
                options.has_scenario ? " plus a breakthrough" : "", com);
    std::fflush(stdout);

    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
    unlink_com_port(com, simulator.slave_path());
    simulator.stop();
    const Tsim_counters seen = simulator.requests_seen();
    std::printf("zeta-sim: stopped after %llu requests, %llu answers\n", (unsigned long long)seen.requests,
                (unsigned long long)seen.answers);
    return 0;
}
