#pragma once

#include <string>

class Tmy_string;

// The process's current directory (at most 511 characters).
void current_directory(Tmy_string* out);
// Blocks the calling thread.
void sleep_ms(unsigned milliseconds);
// The user's folder for programs' data: $XDG_DATA_HOME, else
// ~/.local/share, on Windows %LOCALAPPDATA%. Empty when none is known.
std::string user_data_directory();
// Creates the folder and its missing parents. False with the system's
// reason in *error.
bool make_directories(const std::string& path, std::string* error);
