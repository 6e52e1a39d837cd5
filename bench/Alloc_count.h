#pragma once
#include <cstdint>

// Calls of the global operator new since the program started, on every
// thread. Counted by the bench binaries that link Alloc_count.cpp, which
// replaces the global operator new and delete.
std::uint64_t allocation_count();
