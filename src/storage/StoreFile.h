#pragma once
// One file of the store: its key, its bytes and the position of the one handle on it.

#include <cstdint>
#include <string>
#include <vector>

struct StoreFile {
    std::string path;           // '/' as separator; the key within the store
    std::vector<uint8_t> data;  // while open for writing, its size is the capacity
    uint32_t position = 0;
    bool inUse = false;
};
