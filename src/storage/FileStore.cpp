#include "storage/FileStore.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

#include "platform/Clock.h"
#include "platform/DiskFile.h"
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
    for (int number = 0; number < kClusterCount; ++number) {
        clusters_[number] = std::make_unique<Cluster>(std::string(folder) + "/" + std::to_string(number) + ".dat");
    }
}

void FileStore::storeClose() {
    for (auto& cluster : clusters_) {
        if (cluster) cluster->write();
        cluster.reset();
    }
}

std::unique_ptr<StoreHandle> FileStore::storeFileOpen(std::string_view path, std::string_view mode) {
    if (isExternalMode(mode)) return openExternal(path, mode);
    std::string key = normalisePath(path);
    Cluster* cluster = clusterFor(key);
    if (!cluster) return nullptr;
    cluster->load();
    StoreFile* file = cluster->find(key);
    if (file && file->inUse) return nullptr;
    if (!file) {
        std::optional<StoreFile> created = newFile(std::move(key), mode);
        if (!created) return nullptr;
        file = &cluster->append(std::move(*created));
    }
    file->position = 0;
    file->inUse = true;
    cluster->fileOpened();
    return std::make_unique<StoreHandle>(*file, *this, mode);
}

std::unique_ptr<StoreHandle> FileStore::openExternal(std::string_view path, std::string_view mode) {
    std::optional<StoreFile> file = newFile(normalisePath(path), mode);
    if (!file) return nullptr;
    return std::make_unique<StoreHandle>(std::make_unique<StoreFile>(std::move(*file)), mode);
}

void FileStore::fileClosed(StoreFile& file, bool written) {
    Cluster* cluster = clusterFor(file.path);
    file.inUse = false;
    if (written) cluster->markDirty();
    cluster->fileClosed(clock_());
}

void FileStore::storeFlush() {
    for (int number = 0; number < kClusterCount; ++number) {
        Cluster* cluster = clusters_[number].get();
        if (!cluster || !cluster->dirty()) continue;
        std::printf("Writing cluster %d\n", number);
        cluster->write();
    }
}

void FileStore::storeUnloadIdle() {
    const uint32_t now = clock_();
    for (auto& cluster : clusters_) {
        if (!cluster || !cluster->idle(now, kIdleMilliseconds)) continue;
        // A cluster that could not be written keeps its files until a later flush succeeds.
        if (!cluster->write()) continue;
        cluster->unload();
        std::printf("Deactivated filecluster %s\n", cluster->filePath().c_str());
    }
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
        for (auto file = cluster->files().begin(); file != cluster->files().end(); ++file) {
            if (file->path.starts_with(oldPrefix)) moves.push_back({cluster.get(), file});
        }
    }
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
