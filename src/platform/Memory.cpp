#include "platform/Memory.h"

#include <malloc.h>
#include <unistd.h>

#include <fstream>

void returnFreeMemoryToSystem() { malloc_trim(0); }

size_t residentMemoryBytes() {
    std::ifstream statm("/proc/self/statm");
    size_t pages = 0;
    size_t resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}
