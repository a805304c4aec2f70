#pragma once
// One cluster file of the store and, while loaded, the store files it holds. A file's
// bytes that are in the cluster file as they are stay there once read (its reader keeps
// what it parsed) or written, and come back when the file is read or the cluster written
// again. Not thread-safe: the store's user holds the lock that guards the store, except
// for the file write between beginWrite and endWrite, which needs neither the cluster nor
// the lock.

#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "storage/StoreFile.h"

class Cluster {
public:
    using Files = std::list<StoreFile>;

    explicit Cluster(std::string filePath) : filePath_(std::move(filePath)) {}

    const std::string& filePath() const { return filePath_; }
    bool loaded() const { return loaded_; }
    bool dirty() const { return dirty_; }
    uint32_t fileBytes() const { return fileBytes_; }
    const Files& files() const { return files_; }

    // Reads the cluster file unless the cluster is loaded. A missing file is an empty
    // cluster; a damaged one keeps its whole entries and a copy of itself (keepDamagedCopy).
    void load();
    // The bytes of the cluster file as it is to be, for a write of it, when it is dirty and
    // loaded, no write is under way, and every file's bytes are at hand (nothing when one
    // left its bytes in a cluster file that cannot be read now). Until endWrite the cluster
    // is being written: it keeps every file's bytes in memory and must not be unloaded.
    std::optional<std::vector<uint8_t>> beginWrite();
    // Ends the write begun last: once its `byteCount` bytes are on disk (`written`), the
    // cluster is clean, unless it changed since beginWrite: then it stays dirty and the
    // next write takes the change along. On failure it stays dirty.
    void endWrite(bool written, size_t byteCount);
    bool writing() const { return writing_; }
    // Reads back the bytes of every file that left them on disk; false, changing nothing,
    // while the cluster file is there but cannot be read. Those the cluster file no longer
    // holds as they were (it was changed or removed behind the store) are dropped from the
    // cluster, which is then dirty, and the file is kept aside as a damaged one would be.
    bool restoreDropped();
    // Forgets the files; the caller writes first.
    void unload();

    // The first file of that path; constant time, so a large library opens quickly.
    StoreFile* find(std::string_view path);
    // The same, with its bytes back when `reading` (writing replaces them anyway); a file
    // whose bytes could not be read back is still `dropped`.
    StoreFile* findToOpen(std::string_view path, bool reading);
    StoreFile& append(StoreFile file);
    // Gives the file a new path and moves it to the end of `target` (which may be this).
    void moveFile(Files::const_iterator file, std::string newPath, Cluster& target);
    void markDirty();

    // A file opened for writing counts as a change at once: its bytes are no longer those
    // a write under way took.
    void fileOpened(bool writing);
    // A file read leaves its bytes on disk when they are there as they are; one written
    // makes the cluster dirty.
    void fileClosed(StoreFile& file, bool written, uint32_t now);
    void moveOpenCountFrom(Cluster& other);
    // Loaded, no file open, and the last close more than `idleMilliseconds` ago.
    bool idle(uint32_t now, uint32_t idleMilliseconds) const;
    // Milliseconds until idle() turns true; nothing while unloaded or a file is open.
    std::optional<uint32_t> untilIdle(uint32_t now, uint32_t idleMilliseconds) const;

private:
    void indexFile(Files::iterator file);
    void forgetFile(Files::const_iterator file);
    void dropData(StoreFile& file) const;

    std::string filePath_;
    Files files_;
    std::unordered_map<std::string_view, Files::iterator> index_;  // keys view the files' paths
    int openCount_ = 0;
    uint32_t lastCloseTime_ = 0;
    bool dirty_ = false;
    bool loaded_ = false;
    bool writing_ = false;
    // Counts the changes to what the cluster file is to hold, so that a write can tell
    // whether it took them all.
    uint64_t changes_ = 0;
    uint64_t changesWritten_ = 0;  // as beginWrite saw it
    uint32_t fileBytes_ = 0;
};
