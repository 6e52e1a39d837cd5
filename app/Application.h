#pragma once
#include <functional>
#include <string>

#include "publish/Publish_target.h"

// What the command line asked for.
struct Tapp_options {
    bool help = false;
    bool version = false;
    // Shows one window once started: "main", "log", "view", "cal",
    // "settings", or "chart" and "tracer" for the view window on its chart
    // and tracer test pages (for screenshots; not listed in --help).
    std::string show;
    // Above 0: presses STOP and START in the view window every so many
    // milliseconds, and START requests a measurement at once, so that a
    // screenshot gathers rows quickly (not listed in --help).
    unsigned request_every_ms = 0;
    // A calibration constants file the view window loads at start, as
    // "Load calibration file ... " would (for screenshots; not listed in --help).
    std::string constants;
    // A tracer test inputs file the view window's tracer test starts with
    // (for screenshots; not listed in --help).
    std::string tracer_inputs;
    // Milliseconds waited after the loop ends, before the settings are saved.
    unsigned exit_pause_ms = 1000;
    // Called with "TFframe", "TSignalForm", "TFlumo_cal", "TFlumo_settings",
    // "TFlumo_view" as each window is made, "started" once the start-up
    // message has been handled and "stopped" when the loop has ended.
    std::function<void(const char* stage)> observer;
    // Runs on a simulated instrument linked as a free COM port from COM200.
    bool simulate = false;
    // --publish URL [--station NAME] [--ca FILE]: every journalled row to
    // an MQTT broker.
    Tpublish_options publish;
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
