#pragma once
// One file of the store: its key, its bytes and the position of the one handle on it. A file
// whose bytes are in its cluster file as they are may leave them there (a folder's list is
// held by its nodes once parsed) and read them back when needed.

#include <cstdint>
#include <string>
#include <vector>

struct StoreFile {
    std::string path;           // '/' as separator; the key within the store
    std::vector<uint8_t> data;  // while open for writing, its size is the capacity
    uint32_t position = 0;
    // Where the bytes begin in the cluster file as it is on disk; 0 when they are not there
    // as they are (changed since, or never written).
    uint32_t diskOffset = 0;
    bool dropped = false;  // `data` is empty and the bytes are only on disk
    bool inUse = false;
};
