#pragma once
// The process's heap and the system.

#include <cstddef>

// Hands free heap pages back to the system after a large temporary structure is gone.
void returnFreeMemoryToSystem();
// The bytes of the heap's blocks in use, as the allocator counts them now.
size_t heapBytesInUse();
// The process's resident memory in bytes, as the system counts it now.
size_t residentMemoryBytes();
