#pragma once
#include <cstddef>

// Writes the bytes to a new file beside path and renames it over path, so
// that an existing file is either kept whole or replaced whole. False when
// the file cannot be created, written or moved into place.
bool write_file_replacing(const char* path, const char* bytes, size_t length);
