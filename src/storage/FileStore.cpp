#include "storage/FileStore.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

#include "platform/Clock.h"
#include "platform/DiskFile.h"
#include "platform/FileSystem.h"
#include "storage/Cluster.h"
#include "storage/StoreFile.h"
#include "storage/StoreHandle.h"
#include "text/Str.h"

FileStore* theFileStore = nullptr;

namespace {

bool isExternalMode(std::string_view mode) {
    return mode.size() > 1 && mode[1] == 'e';
}

// A file not in the store yet: read from disk for reading, empty for writing.
std::optional<StoreFile> newFile(std::string path, std::string_view mode) {
    if (!mode.starts_with('r')) return StoreFile{std::move(path), {}};
    auto bytes = readDiskFile(path, std::numeric_limits<uint32_t>::max());
    if (!bytes) return std::nullopt;
    return StoreFile{std::move(path), std::move(*bytes)};
}

}  // namespace

FileStore::FileStore(Clock clock) : clock_(std::move(clock)) {}

FileStore::FileStore() : FileStore(millisecondClock) {}

FileStore::~FileStore() {
    storeClose();
}

void FileStore::storeOpen(std::string_view folder) {
    storeClose();
    if (folder.ends_with('/')) folder.remove_suffix(1);
    folder_ = folder;
    recreateFolder();
    for (int number = 0; number < kClusterCount; ++number) {
        clusters_[number] = std::make_unique<Cluster>(std::string(folder) + "/" + std::to_string(number) + ".dat");
    }
}

void FileStore::storeClose() {
    for (int number = 0; number < kClusterCount; ++number) {
        writeOut(number, {}, false);
        clusters_[number].reset();
    }
    retryDiskFiles();
    keptDiskFiles_.clear();
    flushDueAt_.reset();
}

std::unique_ptr<StoreHandle> FileStore::storeFileOpen(std::string_view path, std::string_view mode) {
    if (isExternalMode(mode)) return openExternal(path, mode);
    std::string key = normalisePath(path);
    Cluster* cluster = clusterFor(key);
    if (!cluster) return nullptr;
    cluster->load();
    StoreFile* file = cluster->findToOpen(key, mode.starts_with('r'));
    if (file && (file->inUse || file->dropped)) return nullptr;
    if (!file) {
        std::optional<StoreFile> created = newFile(std::move(key), mode);
        if (!created) return nullptr;
        file = &cluster->append(std::move(*created));
    }
    file->position = 0;
    file->inUse = true;
    cluster->fileOpened(!mode.starts_with('r'));
    return std::make_unique<StoreHandle>(*file, *this, mode);
}

std::unique_ptr<StoreHandle> FileStore::openExternal(std::string_view path, std::string_view mode) {
    std::optional<StoreFile> file = newFile(normalisePath(path), mode);
    if (!file) return nullptr;
    return std::make_unique<StoreHandle>(std::make_unique<StoreFile>(std::move(*file)), mode);
}

void FileStore::fileClosed(StoreFile& file, bool written) {
    if (written) ++changeCount_;
    clusterFor(file.path)->fileClosed(file, written, clock_());
}

bool FileStore::storeFlush(const LetGo& letGo) {
    flushDueAt_.reset();
    bool complete = true;
    for (int number = 0; number < kClusterCount; ++number) {
        if (!writeOut(number, letGo, true)) complete = false;
    }
    return retryDiskFiles() && complete;
}

bool FileStore::storeFlushStep(const LetGo& letGo) {
    if (flushCursor_ == 0) flushDueAt_.reset();
    while (flushCursor_ < kClusterCount) {
        const int number = flushCursor_++;
        if (clusters_[number] && clusters_[number]->dirty()) {
            writeOut(number, letGo, true);
            return false;
        }
    }
    flushCursor_ = 0;
    retryDiskFiles();
    return true;
}

bool FileStore::writeOut(int number, const LetGo& letGo, bool logged) {
    Cluster* cluster = clusters_[number].get();
    while (cluster && cluster->writing()) {
        if (!letGo) return false;
        waitForAWrite(letGo);
    }
    if (!cluster || !cluster->dirty() || !cluster->loaded()) return true;
    if (logged) std::printf("Writing cluster %d\n", number);
    const std::string& path = cluster->filePath();
    const std::optional<std::vector<uint8_t>> bytes = cluster->beginWrite();
    if (!bytes) {
        trouble_.noteWrite(path, false, errno);
        return false;
    }
    bool written = false;
    int error = 0;
    const auto write = [&] {
        written = writeClusterFile(path, *bytes);
        error = errno;
    };
    if (letGo) {
        letGo(write);
    } else {
        write();
    }
    cluster->endWrite(written, bytes->size());
    trouble_.noteWrite(path, written, error);
    endedAWrite();
    return written;
}

// A store folder removed meanwhile is created again; another writer may have done so first.
bool FileStore::writeClusterFile(const std::string& path, std::span<const uint8_t> bytes) const {
    if (replaceDiskFile(path, bytes)) return true;
    const int error = errno;
    if (error == ENOENT && (recreateFolder() || folderExists(folder_))) return replaceDiskFile(path, bytes);
    errno = error;
    return false;
}

// Returns once some cluster write has ended, having let go of the lock meanwhile.
void FileStore::waitForAWrite(const LetGo& letGo) {
    uint64_t seen = 0;
    {
        const std::lock_guard guard(writesMutex_);
        seen = writesEnded_;
    }
    letGo([&] {
        std::unique_lock guard(writesMutex_);
        writeEnded_.wait(guard, [&] { return writesEnded_ != seen; });
    });
}

void FileStore::endedAWrite() {
    {
        const std::lock_guard guard(writesMutex_);
        ++writesEnded_;
    }
    writeEnded_.notify_all();
}

void FileStore::storeFlushSoon() {
    if (!flushDueAt_) flushDueAt_ = clock_() + kPromptFlushMilliseconds;
}

bool FileStore::flushDue() const {
    return flushDueAt_ && static_cast<int32_t>(clock_() - *flushDueAt_) >= 0;
}

bool FileStore::hasUnwritten() const {
    if (!keptDiskFiles_.empty()) return true;
    for (const auto& cluster : clusters_) {
        if (cluster && cluster->dirty()) return true;
    }
    return false;
}

std::optional<uint32_t> FileStore::untilTimedWork() const {
    const uint32_t now = clock_();
    std::optional<uint32_t> soonest;
    const auto consider = [&soonest](uint32_t ms) { soonest = soonest ? std::min(*soonest, ms) : ms; };
    if (flushDueAt_) consider(static_cast<uint32_t>(std::max<int32_t>(0, static_cast<int32_t>(*flushDueAt_ - now))));
    for (const auto& cluster : clusters_) {
        // One whose writes fail waits for the flushes, as storeUnloadIdle leaves it.
        // One being written is looked at again once written, when its writer lets the lock go.
        if (!cluster || cluster->writing() || (cluster->dirty() && trouble_.failing(cluster->filePath()))) continue;
        if (const auto ms = cluster->untilIdle(now, kIdleMilliseconds)) consider(*ms);
    }
    return soonest;
}

int FileStore::storeUnloadIdle(const LetGo& letGo) {
    int unloaded = 0;
    for (int number = 0; number < kClusterCount; ++number) {
        Cluster* cluster = clusters_[number].get();
        if (!cluster || cluster->writing() || !cluster->idle(clock_(), kIdleMilliseconds)) continue;
        // A cluster that could not be written keeps its files; the flushes try it again.
        if (cluster->dirty() && trouble_.failing(cluster->filePath())) continue;
        if (!writeOut(number, letGo, false)) continue;
        // The lock let go for the write, others may have used the cluster meanwhile.
        if (cluster->dirty() || cluster->writing() || !cluster->idle(clock_(), kIdleMilliseconds)) continue;
        cluster->unload();
        ++unloaded;
        std::printf("Deactivated filecluster %s\n", cluster->filePath().c_str());
    }
    return unloaded;
}

Str& FileStore::storeStatistics(Str& out) {
    size_t files = 0;
    uint64_t bytes = 0;
    for (auto& cluster : clusters_) {
        if (!cluster) continue;
        cluster->load();
        files += cluster->files().size();
        bytes += cluster->fileBytes();
    }
    out.append("Num clusters: ").appendInt(kClusterCount).append("<br>");
    out.append("Num files in clusters: ").append(std::to_string(files)).append("<br>");
    out.append("Num bytes in clusters: ").append(std::to_string(bytes)).append("<br>");
    for (int number = 0; number < kClusterCount; ++number) {
        const Cluster* cluster = clusters_[number].get();
        if (!cluster) continue;
        out.append("Cluster ").appendInt(number).append(" contains ");
        out.append(std::to_string(cluster->files().size())).append(" files and ");
        out.append(std::to_string(cluster->fileBytes())).append(" bytes.<br>");
    }
    return out;
}

void FileStore::storeExportAll(const std::function<bool(std::string_view path)>& mayWrite) {
    for (auto& cluster : clusters_) {
        if (!cluster) continue;
        cluster->load();
        if (!cluster->restoreDropped()) continue;
        for (const StoreFile& file : cluster->files()) {
            if (mayWrite(file.path)) replaceDiskFile(file.path, file.data);
        }
    }
}

// All matching files are gathered before any moves, so a file moved into a cluster that
// comes later (a folder renamed into its own subfolder) is not renamed a second time.
void FileStore::storeRenamePrefix(std::string_view from, std::string_view to) {
    const std::string oldPrefix = normalisePath(from);
    const std::string newPrefix = normalisePath(to);
    struct Move {
        Cluster* cluster;
        Cluster::Files::const_iterator file;
    };
    std::vector<Move> moves;
    for (auto& cluster : clusters_) {
        if (!cluster) continue;
        cluster->load();
        const auto matches = [&oldPrefix](const StoreFile& file) { return file.path.starts_with(oldPrefix); };
        // A moved file takes its bytes along; without them nothing is renamed.
        if (std::any_of(cluster->files().begin(), cluster->files().end(), matches) && !cluster->restoreDropped()) {
            return;
        }
        for (auto file = cluster->files().begin(); file != cluster->files().end(); ++file) {
            if (matches(*file)) moves.push_back({cluster.get(), file});
        }
    }
    if (!moves.empty()) ++changeCount_;
    for (const Move& move : moves) {
        std::string newPath = newPrefix + move.file->path.substr(oldPrefix.size());
        Cluster& target = *clusterFor(newPath);
        move.cluster->markDirty();
        target.markDirty();
        if (move.file->inUse) target.moveOpenCountFrom(*move.cluster);
        move.cluster->moveFile(move.file, std::move(newPath), target);
    }
}

std::string FileStore::normalisePath(std::string_view path) {
    std::string normalised(path);
    std::replace(normalised.begin(), normalised.end(), '\\', '/');
    return normalised;
}

int FileStore::clusterNumber(std::string_view normalisedPath) {
    uint32_t hash = 0x811C9DC5u;
    for (const char byte : normalisedPath) hash = (hash * 0x01000193u) ^ static_cast<uint8_t>(byte);
    return static_cast<int>(hash & (kClusterCount - 1));
}

Cluster* FileStore::clusterFor(std::string_view normalisedPath) const {
    return clusters_[clusterNumber(normalisedPath)].get();
}

// Only inside a settings folder that is still there: one removed whole stays removed.
bool FileStore::recreateFolder() const {
    const size_t slash = folder_.rfind('/');
    if (slash == std::string::npos || folderExists(folder_) || !folderExists(folder_.substr(0, slash + 1))) return false;
    if (!createFolder(folder_)) return false;
    std::printf("Created the missing folder %s\n", folder_.c_str());
    return true;
}

bool FileStore::writeDiskFile(std::string_view path, std::span<const uint8_t> bytes) {
    std::string target(path);
    const bool written = replaceDiskFile(target, bytes);
    trouble_.noteWrite(target, written, errno);
    if (written) {
        keptDiskFiles_.erase(target);
    } else {
        keptDiskFiles_.insert_or_assign(std::move(target), std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
    return written;
}

void FileStore::removeDiskFile(std::string_view path) {
    if (const auto kept = keptDiskFiles_.find(path); kept != keptDiskFiles_.end()) keptDiskFiles_.erase(kept);
    std::remove(std::string(path).c_str());
}

bool FileStore::retryDiskFiles() {
    for (auto kept = keptDiskFiles_.begin(); kept != keptDiskFiles_.end();) {
        const bool written = replaceDiskFile(kept->first, kept->second);
        trouble_.noteWrite(kept->first, written, errno);
        kept = written ? keptDiskFiles_.erase(kept) : std::next(kept);
    }
    return keptDiskFiles_.empty();
}

void reportStoreTrouble(std::string_view message) {
    if (theFileStore) {
        theFileStore->reportTrouble(message);
    } else {
        std::fwrite(message.data(), 1, message.size(), stdout);
    }
}
