#include "storage/Cluster.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>

#include "platform/DiskFile.h"
#include "storage/ClusterFormat.h"

void Cluster::load() {
    if (loaded_) return;
    dirty_ = false;
    loaded_ = true;
    const auto bytes = readDiskFile(filePath_, std::numeric_limits<uint32_t>::max());
    if (!bytes) {
        // One that exists but cannot be read is moved aside rather than overwritten later.
        if (diskFileExists(filePath_)) {
            std::printf("Damaged cluster file %s\n", filePath_.c_str());
            moveDamagedAside(filePath_);
        }
        return;
    }
    DecodedCluster decoded = decodeCluster(*bytes);
    files_.splice(files_.end(), decoded.files);
    index_.reserve(files_.size());
    for (auto file = files_.begin(); file != files_.end(); ++file) indexFile(file);
    fileBytes_ = static_cast<uint32_t>(decoded.bytesUsed);
    if (!decoded.damaged) return;
    std::printf("Damaged cluster file %s\n", filePath_.c_str());
    // With the original bytes kept aside, rewriting the cluster whole loses nothing.
    if (keepDamagedCopy(filePath_, *bytes)) markDirty();
}

std::optional<std::vector<uint8_t>> Cluster::beginWrite() {
    if (!dirty_ || !loaded_ || writing_ || !restoreDropped()) return std::nullopt;
    writing_ = true;
    changesWritten_ = changes_;
    return encodeCluster(files_);
}

void Cluster::endWrite(bool written, size_t byteCount) {
    writing_ = false;
    if (!written) return;
    fileBytes_ = static_cast<uint32_t>(byteCount);
    if (changes_ != changesWritten_) {
        // The offsets of the file replaced no longer hold, and which bytes kept theirs in
        // the new one is not known: all stay in memory until the next write.
        for (StoreFile& file : files_) file.diskOffset = 0;
        return;
    }
    dirty_ = false;
    // The offsets follow the layout encodeCluster wrote.
    size_t position = kClusterHeaderBytes;
    for (StoreFile& file : files_) {
        position += kClusterEntryHeaderBytes + file.path.size();
        file.diskOffset = static_cast<uint32_t>(position);
        position += file.data.size();
        dropData(file);
    }
}

bool Cluster::restoreDropped() {
    if (std::none_of(files_.begin(), files_.end(), [](const StoreFile& file) { return file.dropped; })) return true;
    const auto bytes = readDiskFile(filePath_, std::numeric_limits<uint32_t>::max());
    if (!bytes && diskFileExists(filePath_)) {
        std::printf("Could not read cluster file %s\n", filePath_.c_str());
        return false;
    }
    DecodedCluster decoded = bytes ? decodeCluster(*bytes) : DecodedCluster{};
    std::map<uint32_t, StoreFile*> onDisk;
    for (StoreFile& file : decoded.files) onDisk.emplace(file.diskOffset, &file);
    bool lost = false;
    for (auto file = files_.begin(); file != files_.end();) {
        if (!file->dropped) {
            ++file;
            continue;
        }
        const auto found = onDisk.find(file->diskOffset);
        if (found != onDisk.end() && found->second->path == file->path) {
            file->data = std::move(found->second->data);
            file->dropped = false;
            ++file;
            continue;
        }
        lost = true;
        forgetFile(file);
        file = files_.erase(file);
    }
    if (!lost) return true;
    std::printf("Damaged cluster file %s\n", filePath_.c_str());
    if (bytes) keepDamagedCopy(filePath_, *bytes);
    markDirty();
    return true;
}

// While the cluster file is being replaced, the offsets may be those of the file replaced.
void Cluster::dropData(StoreFile& file) const {
    if (file.inUse || file.diskOffset == 0 || writing_) return;
    std::vector<uint8_t>().swap(file.data);
    file.dropped = true;
}

void Cluster::unload() {
    index_.clear();
    files_.clear();
    loaded_ = false;
}

StoreFile* Cluster::find(std::string_view path) {
    const auto found = index_.find(path);
    return found == index_.end() ? nullptr : &*found->second;
}

StoreFile* Cluster::findToOpen(std::string_view path, bool reading) {
    StoreFile* file = find(path);
    if (!file || !file->dropped) return file;
    if (!reading) {
        file->dropped = false;
        file->diskOffset = 0;
        return file;
    }
    restoreDropped();
    return find(path);
}

void Cluster::markDirty() {
    dirty_ = true;
    ++changes_;
}

StoreFile& Cluster::append(StoreFile file) {
    ++changes_;
    files_.push_back(std::move(file));
    indexFile(std::prev(files_.end()));
    return files_.back();
}

void Cluster::moveFile(Files::const_iterator file, std::string newPath, Cluster& target) {
    forgetFile(file);
    const auto moved = files_.erase(file, file);  // the same position, but mutable
    moved->path = std::move(newPath);
    moved->diskOffset = 0;
    target.files_.splice(target.files_.end(), files_, moved);
    target.indexFile(moved);
    ++changes_;
    ++target.changes_;
}

// A cluster file may hold one path twice; the first one is the one found.
void Cluster::indexFile(Files::iterator file) {
    index_.try_emplace(file->path, file);
}

void Cluster::forgetFile(Files::const_iterator file) {
    const auto found = index_.find(file->path);
    if (found == index_.end() || found->second != file) return;
    index_.erase(found);
    for (auto other = files_.begin(); other != files_.end(); ++other) {
        if (other != file && other->path == file->path) return indexFile(other);
    }
}

void Cluster::fileOpened(bool writing) {
    ++openCount_;
    if (writing) ++changes_;
}

void Cluster::fileClosed(StoreFile& file, bool written, uint32_t now) {
    file.inUse = false;
    if (written) {
        file.diskOffset = 0;
        markDirty();
    } else {
        dropData(file);
    }
    if (--openCount_ == 0) lastCloseTime_ = now;
}

void Cluster::moveOpenCountFrom(Cluster& other) {
    --other.openCount_;
    ++openCount_;
}

bool Cluster::idle(uint32_t now, uint32_t idleMilliseconds) const {
    return loaded_ && openCount_ == 0 && now - lastCloseTime_ > idleMilliseconds;
}

std::optional<uint32_t> Cluster::untilIdle(uint32_t now, uint32_t idleMilliseconds) const {
    if (!loaded_ || openCount_ != 0) return std::nullopt;
    const uint32_t elapsed = now - lastCloseTime_;
    return elapsed > idleMilliseconds ? 0 : idleMilliseconds + 1 - elapsed;
}
