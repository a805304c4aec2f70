#pragma once
// The cluster file store: small files kept by full path in 64 cluster files of one folder,
// read on first use, written when changed and dropped from memory when idle. It has no
// lock of its own: every use runs under the lock of its owner.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class Cluster;
class StoreHandle;
class Str;
struct StoreFile;

class FileStore {
public:
    using Clock = std::function<uint32_t()>;  // wrapping milliseconds
    static constexpr int kClusterCount = 64;
    static constexpr uint32_t kIdleMilliseconds = 5000;

    explicit FileStore(Clock clock);
    FileStore();
    // Writes every changed cluster. Handles must be closed before.
    ~FileStore();
    FileStore(const FileStore&) = delete;
    FileStore& operator=(const FileStore&) = delete;

    // Names the cluster files folder/0.dat ... folder/63.dat; reads nothing.
    void storeOpen(std::string_view folder);
    // Writes every changed cluster and forgets them all.
    void storeClose();

    // "r" or "w" for a store file ('\' and '/' are the same separator), "re" or "we" for a
    // disk file. Null when the file is already open, when a file to read exists neither in
    // the store nor on disk, or when the store is not open. A file read from disk joins
    // the store.
    std::unique_ptr<StoreHandle> storeFileOpen(std::string_view path, std::string_view mode);
    // A disk file ("re" or "we"); needs no store.
    static std::unique_ptr<StoreHandle> openExternal(std::string_view path, std::string_view mode);

    // Writes each changed cluster, logging "Writing cluster N".
    void storeFlush();
    // Unloads clusters with nothing open whose last close is over five seconds old.
    void storeUnloadIdle();
    // Appends the store's HTML summary, loading every cluster first.
    Str& storeStatistics(Str& out);
    // Writes every store file that `mayWrite` admits to its own path on disk.
    void storeExportAll(const std::function<bool(std::string_view path)>& mayWrite);
    // Moves every file whose path begins with `from` to the same path beginning with `to`.
    void storeRenamePrefix(std::string_view from, std::string_view to);

    static std::string normalisePath(std::string_view path);
    // FNV-1 of the normalised path, low six bits.
    static int clusterNumber(std::string_view normalisedPath);

private:
    friend class StoreHandle;
    void fileClosed(StoreFile& file, bool written);
    Cluster* clusterFor(std::string_view normalisedPath) const;

    Clock clock_;
    std::array<std::unique_ptr<Cluster>, kClusterCount> clusters_;
};

// The program's store, set by the run function while it runs.
extern FileStore* theFileStore;
