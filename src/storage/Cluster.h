#pragma once
// One cluster file of the store and, while loaded, the store files it holds. Not
// thread-safe: the store's user holds the lock that guards the store.

#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

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
    // Replaces the cluster file when dirty and loaded. On failure it stays dirty.
    bool write();
    // Forgets the files; the caller writes first.
    void unload();

    // The first file of that path; constant time, so a large library opens quickly.
    StoreFile* find(std::string_view path);
    StoreFile& append(StoreFile file);
    // Gives the file a new path and moves it to the end of `target` (which may be this).
    void moveFile(Files::const_iterator file, std::string newPath, Cluster& target);
    void markDirty() { dirty_ = true; }

    void fileOpened() { ++openCount_; }
    void fileClosed(uint32_t now);
    void moveOpenCountFrom(Cluster& other);
    // Loaded, no file open, and the last close more than `idleMilliseconds` ago.
    bool idle(uint32_t now, uint32_t idleMilliseconds) const;
    // Milliseconds until idle() turns true; nothing while unloaded or a file is open.
    std::optional<uint32_t> untilIdle(uint32_t now, uint32_t idleMilliseconds) const;

private:
    void indexFile(Files::iterator file);
    void forgetFile(Files::const_iterator file);

    std::string filePath_;
    Files files_;
    std::unordered_map<std::string_view, Files::iterator> index_;  // keys view the files' paths
    int openCount_ = 0;
    uint32_t lastCloseTime_ = 0;
    bool dirty_ = false;
    bool loaded_ = false;
    uint32_t fileBytes_ = 0;
};
