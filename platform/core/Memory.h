#pragma once
// The process's memory as the system counts it, and handing memory the allocator keeps after
// frees back to the system.

#include <cstddef>

// The resident set of this process in bytes (the system's count), 0 when it cannot be read.
[[nodiscard]] std::size_t ResidentBytes();

// Hands the free pages of every allocator heap back to the system. The allocator keeps what a
// large piece of work freed (a batch's frames, a closed preview's buffers) for reuse, spread over
// the heaps of the threads that did the work; call this when such a piece of work has ended. It
// walks the heaps, so it is not for tight loops.
void ReturnFreedMemory();
