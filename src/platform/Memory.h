#pragma once
// The process's heap and the system.

#include <cstddef>

// Hands free heap pages back to the system after a large temporary structure is gone.
void returnFreeMemoryToSystem();
// The bytes of the heap's blocks in use, as the allocator counts them now.
size_t heapBytesInUse();
// The process's resident memory in bytes, as the system counts it now.
size_t residentMemoryBytes();

// A block for data that lives as long as the library (see LastingText.h); under jemalloc
// from an arena of its own, so that no short-lived block of the same size shares its
// pages and keeps them resident once the short-lived ones are gone. Throws
// std::bad_alloc like new. Any thread.
void* allocateLasting(size_t size);
// Null is ignored.
void freeLasting(void* block);
