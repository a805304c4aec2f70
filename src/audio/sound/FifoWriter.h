#pragma once
// The writing end of a named pipe that never blocks its thread. It keeps a reading end of
// its own, so the pipe always has a reader: its writing end opens at once, and readers that
// come and go (a restarted Snapcast server) never see the stream end. When the pipe is full
// (no one else reads it, or a reader stalls) its oldest bytes make room for the new block.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/FileDescriptor.h"

class FifoWriter {
public:
    // Blocks at most this many bytes are written whole or not at all.
    static constexpr size_t kAtomicBytes = 4096;

    explicit FifoWriter(std::string path) : path_(std::move(path)) {}

    // Makes the pipe when the path is free and opens both ends; false when it cannot be
    // made or opened, or the path is something other than a named pipe.
    bool open();
    // The whole block (at most kAtomicBytes, whole frames), dropping as many of the oldest
    // bytes of a full pipe; nothing before open succeeded.
    void write(std::span<const uint8_t> block);

private:
    void dropOldest(size_t bytes) const;

    std::string path_;
    FileDescriptor ownReader_;
    FileDescriptor pipe_;
};
