#pragma once
// Counts the program's heap allocations: linking allocation_counter.cpp replaces the
// global operator new.

#include <cstddef>

namespace nowplaying::testing {

// Calls of operator new (single and array forms) since the program started.
std::size_t AllocationCount();

} // namespace nowplaying::testing
