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

// Sets the allocator's limits for a program whose large blocks (pictures, codec buffers) come and
// go with its tasks: a block of 256 KiB or more gets pages of its own, which go back to the system
// when it is freed, and a heap gives back what is free at its top above 128 KiB. Left alone, the
// allocator raises both limits each time it frees a large block, so the heaps of the worker
// threads keep what their tasks once needed for the rest of the process's life (handing back,
// above, does not reach the top of a worker's heap). Call once at the start of the program.
void ReturnLargeBlocksWhenFreed();
