#pragma once

class Tmy_string;

// The process's current directory (at most 511 characters).
void current_directory(Tmy_string* out);
// Blocks the calling thread.
void sleep_ms(unsigned milliseconds);
