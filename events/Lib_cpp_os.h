#pragma once
#include <cstddef>

#include <string>

class Tmy_string;

// The process's current directory (at most 511 characters).
void current_directory(Tmy_string* out);
// Blocks the calling thread.
void sleep_ms(unsigned milliseconds);

// Replaces the file at path with the bytes, so that a reader finds either the
// old content or the new one whole. A symbolic link stays a link and its
// target is replaced; the file keeps its permissions; a file the user may not
// write is refused. Where the folder admits no new file but the file itself
// is writable, the file is rewritten in place. False when nothing or not all
// of it could be written, with the system's reason in *error when given.
bool write_file_replacing(const char* path, const char* bytes, size_t length, std::string* error = nullptr);

// The user's folder for programs' data: $XDG_DATA_HOME, else
// ~/.local/share, on Windows %LOCALAPPDATA%. Empty when none is known.
std::string user_data_directory();
// The environment variable that folder comes from when nothing more
// particular is set, for messages: HOME, on Windows LOCALAPPDATA.
const char* user_data_variable();
// Creates the folder and its missing parents. False with the system's
// reason in *error.
bool make_directories(const std::string& path, std::string* error);
// The computer's name on the network; empty when the system gives none.
std::string host_name();
