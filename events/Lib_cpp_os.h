#pragma once
#include <cstddef>

class Tmy_string;

// The process's current directory (at most 511 characters).
void current_directory(Tmy_string* out);
// Blocks the calling thread.
void sleep_ms(unsigned milliseconds);
// Writes the bytes to a new file beside path and moves it over path, so that
// an existing file is either kept whole or replaced whole. A read-only file
// is refused. False when the file cannot be written or moved into place.
bool write_file_replacing(const char* path, const char* bytes, size_t length);
