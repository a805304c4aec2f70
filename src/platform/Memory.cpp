#include "platform/Memory.h"

#include <unistd.h>

#include <fstream>
#include <new>

#if VELMORANT_JEMALLOC
#include <jemalloc/jemalloc.h>

#include <string>

void returnFreeMemoryToSystem() {
    static const std::string purgeAll = "arena." + std::to_string(MALLCTL_ARENAS_ALL) + ".purge";
    mallctl("thread.tcache.flush", nullptr, nullptr, nullptr, 0);
    mallctl(purgeAll.c_str(), nullptr, nullptr, nullptr, 0);
}

size_t heapBytesInUse() {
    uint64_t epoch = 1;
    size_t epochSize = sizeof(epoch);
    mallctl("epoch", &epoch, &epochSize, &epoch, epochSize);
    size_t allocated = 0;
    size_t allocatedSize = sizeof(allocated);
    return mallctl("stats.allocated", &allocated, &allocatedSize, nullptr, 0) == 0 ? allocated : 0;
}

namespace {

// Made at first use; the first arena, shared with short-lived blocks, when none can be made.
unsigned lastingArena() {
    static const unsigned arena = [] {
        unsigned index = 0;
        size_t indexSize = sizeof index;
        return mallctl("arenas.create", &index, &indexSize, nullptr, 0) == 0 ? index : 0u;
    }();
    return arena;
}

}  // namespace

void* allocateLasting(size_t size) {
    // No thread cache: it would hand the block to the thread's own arena's neighbours.
    void* block = mallocx(size ? size : 1, MALLOCX_ARENA(lastingArena()) | MALLOCX_TCACHE_NONE);
    if (!block) throw std::bad_alloc();
    return block;
}

void freeLasting(void* block) {
    if (block) dallocx(block, MALLOCX_TCACHE_NONE);
}
#else
#include <malloc.h>

void returnFreeMemoryToSystem() { malloc_trim(0); }

size_t heapBytesInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void* allocateLasting(size_t size) { return ::operator new(size); }

void freeLasting(void* block) { ::operator delete(block); }
#endif

size_t residentMemoryBytes() {
    std::ifstream statm("/proc/self/statm");
    size_t pages = 0;
    size_t resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}
