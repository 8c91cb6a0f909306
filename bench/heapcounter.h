#pragma once

#include <cstddef>

namespace tovren::bench {

// Heap bytes in use, counted by this program's replaced operator new and delete.
std::size_t heapInUse();

// The most heap in use since the last reset.
std::size_t heapPeak();
void resetHeapPeak();

} // namespace tovren::bench
