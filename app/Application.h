#pragma once
#include <functional>
#include <string>

// What the command line asked for.
struct Tapp_options {
    bool help = false;
    bool version = false;
    // Shows one window once started: "main", "log", "view", "cal",
    // "settings", or "chart" for the view window on its chart page (for
    // screenshots; not listed in --help).
    std::string show;
    // Above 0: presses START in the view window every so many milliseconds,
    // each press requesting a measurement at once, so that a screenshot
    // gathers rows quickly (not listed in --help).
    unsigned press_start_every_ms = 0;
    // Milliseconds waited after the loop ends, before the settings are saved.
    unsigned exit_pause_ms = 1000;
    // Called with "TFframe", "TSignalForm", "TFlumo_cal", "TFlumo_settings",
    // "TFlumo_view" as each window is made, "started" once the start-up
    // message has been handled and "stopped" when the loop has ended.
    std::function<void(const char* stage)> observer;
    // Runs on a simulated instrument linked as a free COM port from COM200.
    bool simulate = false;
    // Options of further subsystems are added here and in parse_options.
};

// Reads the program's own options ("--name" or "--name=value"); arguments
// with one dash belong to the toolkit and are left to it. False with a
// message in error for an unknown or malformed option.
bool parse_options(int argc, char** argv, Tapp_options* options, std::string* error);

const char* usage_text();
const char* version_text();

// The whole program: globals, settings, windows, message loop, shutdown.
// Returns the process's exit code.
int run_application(int argc, char** argv, const Tapp_options& options);
