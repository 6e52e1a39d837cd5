#pragma once
#include <cstdio>
#include <string>

// The whole file's bytes, read in one go in binary mode. False when it
// cannot be opened or read.
bool read_whole_file(const char* path, std::string* bytes);
// The rest of an open stream (standard input), appended to *bytes.
bool read_whole_stream(FILE* file, std::string* bytes);
