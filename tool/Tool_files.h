#pragma once
#include <string>

#include "tool/Tool.h"

// The whole file, or standard input for "-". False when it cannot be read.
bool tool_read_file(const std::string& path, std::string* bytes);

// The text goes to the file (replaced whole, or kept whole on failure) or,
// without a path, to standard output. False, with the program's message on
// standard error, when the file cannot be written.
bool tool_write_output(const std::string* path, const std::string& text, Ttool_output* io);
