#pragma once
#include <vector>

#include "link/Lumo_data.h"

// Thirty days of measurements, one every 10 s: what a tracer test leaves in
// the live view's table.
constexpr unsigned MONTH_ROWS = 30 * 24 * 360;  // 259,200

// All four lamps with constants loaded: deltas and results with a little
// noise, ten seconds apart from 7 December 2020.
std::vector<Tlumo_measure> month_of_records();

// Bytes the allocator has handed out and not had back, large blocks included.
double heap_in_use();
