// Function-table slots that the effect has no business calling. Every slot of
// a table the simulator hands out is first filled with a trap; the functions
// the effect may call are then put in their own slots. A call through any
// other slot (an effect reading a table at the wrong offset, or calling a
// function it never should) records a violation naming the table and slot,
// and every test fails on a violation.
#pragma once

#include <cstddef>

namespace hostsim {

// Fills `slots` function-pointer slots starting at `table` with traps that
// report "<name> slot <i>". A trap returns 0 (no error, or a null pointer).
void fillWithTraps(void* table, size_t slots, const char* name);

template <typename Table>
void fillWithTraps(Table& table, const char* name) {
    static_assert(sizeof(Table) % sizeof(void*) == 0, "a function table is a whole number of pointers");
    fillWithTraps(&table, sizeof(Table) / sizeof(void*), name);
}

// The most slots one table may have.
constexpr size_t kMaxTrapSlots = 128;

}  // namespace hostsim
