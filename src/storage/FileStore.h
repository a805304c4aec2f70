#pragma once
// The cluster file store: small files kept by full path in 64 cluster files of one folder,
// read on first use, written when changed and dropped from memory when idle. It also
// writes the program's own disk files, so that no failed write is lost: a cluster or disk
// file that cannot be written keeps its newest contents and is tried again at every flush.
// It has no lock of its own: every use runs under the lock of its owner, which a flush may
// let go while a cluster file is written (see LetGo); one thread writes a cluster at a time.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/WriteTrouble.h"

class Cluster;
class StoreHandle;
class Str;
struct StoreFile;

class FileStore {
public:
    using Clock = std::function<uint32_t()>;  // wrapping milliseconds
    static constexpr int kClusterCount = 64;
    static constexpr uint32_t kIdleMilliseconds = 5000;
    static constexpr uint32_t kPromptFlushMilliseconds = 500;
    // How a flush lets go of the owner's lock, which its caller holds once (not
    // recursively), while a cluster file is written and synced: it calls `write` with the
    // lock released and takes it again. Only a cluster's bytes are taken, and its state
    // set, under the lock; a change made meanwhile stays for the next flush. Empty: the
    // lock is kept, and a cluster another thread is writing counts as not written.
    using LetGo = std::function<void(const std::function<void()>& write)>;

    explicit FileStore(Clock clock);
    FileStore();
    // Writes every changed cluster. Handles must be closed before.
    ~FileStore();
    FileStore(const FileStore&) = delete;
    FileStore& operator=(const FileStore&) = delete;

    // Names the cluster files folder/0.dat ... folder/63.dat; reads nothing. A missing
    // folder is created again when the folder that holds it is there.
    void storeOpen(std::string_view folder);
    // Writes every changed cluster and kept disk file and forgets them all. No other
    // thread may be writing meanwhile.
    void storeClose();

    // "r" or "w" for a store file ('\' and '/' are the same separator), "re" or "we" for a
    // disk file. Null when the file is already open, when a file to read exists neither in
    // the store nor on disk, or when the store is not open. A file read from disk joins
    // the store.
    std::unique_ptr<StoreHandle> storeFileOpen(std::string_view path, std::string_view mode);
    // A disk file ("re" or "we"); needs no store.
    static std::unique_ptr<StoreHandle> openExternal(std::string_view path, std::string_view mode);

    // Writes each changed cluster, logging "Writing cluster N", and each disk file whose
    // earlier write failed. A missing store folder is created again when the folder that
    // holds it is still there. A cluster another thread is writing is waited for and
    // written again if it changed since that write took its bytes. True when everything
    // that was changed before the call is on disk.
    bool storeFlush(const LetGo& letGo = {});
    // The same in steps, so the caller's lock can be let go in between: each writes the next
    // changed cluster; the last retries the failed disk files and returns true. A flush
    // meanwhile only leaves the steps less to do.
    bool storeFlushStep(const LetGo& letGo = {});
    // Asks for a flush within kPromptFlushMilliseconds (a user's change); asks made before
    // that flush share it.
    void storeFlushSoon();
    // Whether the flush asked for by storeFlushSoon is due.
    bool flushDue() const;
    // Something a flush would write: a changed cluster or a disk file whose write failed.
    bool hasUnwritten() const;
    // Milliseconds until flushDue() or storeUnloadIdle has work; nothing when neither will
    // without a further change.
    std::optional<uint32_t> untilTimedWork() const;
    // Counts the writes into the store, so a caller can tell whether some work changed it.
    uint64_t changeCount() const { return changeCount_; }
    // Unloads clusters with nothing open whose last close is over five seconds old, writing
    // them first; one whose writes fail stays until a flush writes it. Says how many went.
    int storeUnloadIdle(const LetGo& letGo = {});

    // Replaces a disk file atomically. When that fails, the contents are kept and written
    // at every flush until they are on disk (a newer write of the path replaces them).
    // False while they are not on disk.
    bool writeDiskFile(std::string_view path, std::span<const uint8_t> bytes);
    // Deletes a disk file and forgets contents kept for it.
    void removeDiskFile(std::string_view path);
    // Failed writes and damaged files are told here (see WriteTrouble).
    void setTroubleReport(WriteTrouble::Report report) { trouble_.setReport(std::move(report)); }
    void reportTrouble(std::string_view message) const { trouble_.report(message); }

    // Appends the store's HTML summary, loading every cluster first.
    Str& storeStatistics(Str& out);
    // Writes every store file that `mayWrite` admits to its own path on disk, except those of
    // a cluster file that cannot be read back now.
    void storeExportAll(const std::function<bool(std::string_view path)>& mayWrite);
    // Moves every file whose path begins with `from` to the same path beginning with `to`;
    // none when a cluster file holding one of them cannot be read back now.
    void storeRenamePrefix(std::string_view from, std::string_view to);

    static std::string normalisePath(std::string_view path);
    // FNV-1 of the normalised path, low six bits.
    static int clusterNumber(std::string_view normalisedPath);

private:
    friend class StoreHandle;
    void fileClosed(StoreFile& file, bool written);
    Cluster* clusterFor(std::string_view normalisedPath) const;
    // Writes cluster `number` when it holds changes (logging "Writing cluster N" when
    // `logged`); false when that failed or, with the lock kept, another thread writes it.
    bool writeOut(int number, const LetGo& letGo, bool logged);
    // Replaces a cluster file; needs no lock.
    bool writeClusterFile(const std::string& path, std::span<const uint8_t> bytes) const;
    void waitForAWrite(const LetGo& letGo);
    void endedAWrite();
    bool recreateFolder() const;
    bool retryDiskFiles();

    Clock clock_;
    std::string folder_;
    std::array<std::unique_ptr<Cluster>, kClusterCount> clusters_;
    std::map<std::string, std::vector<uint8_t>, std::less<>> keptDiskFiles_;  // by path
    WriteTrouble trouble_;
    std::optional<uint32_t> flushDueAt_;
    uint64_t changeCount_ = 0;
    int flushCursor_ = 0;  // the next cluster storeFlushStep looks at
    // Counts the cluster writes ended, for a thread waiting on another's write of a cluster.
    std::mutex writesMutex_;
    std::condition_variable writeEnded_;
    uint64_t writesEnded_ = 0;  // guarded by writesMutex_
};

// The LetGo of a lock (lock() and unlock()).
template <typename Lock>
FileStore::LetGo letGoOf(Lock& lock) {
    return [&lock](const std::function<void()>& write) {
        lock.unlock();
        write();
        lock.lock();
    };
}

// The program's store, set by the run function while it runs.
extern FileStore* theFileStore;

// Through theFileStore's report, else to standard output.
void reportStoreTrouble(std::string_view message);
