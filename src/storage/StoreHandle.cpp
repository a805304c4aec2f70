#include "storage/StoreHandle.h"

#include <algorithm>
#include <limits>

#include "platform/DiskFile.h"
#include "storage/FileStore.h"
#include "storage/StoreFile.h"

namespace {

constexpr uint64_t kMaxFileBytes = std::numeric_limits<uint32_t>::max();
constexpr size_t kModeLength = 7;

}  // namespace

StoreHandle::StoreHandle(StoreFile& file, FileStore& store, std::string_view mode)
    : file_(&file), store_(&store), mode_(mode.substr(0, std::min(mode.size(), kModeLength))) {}

StoreHandle::StoreHandle(std::unique_ptr<StoreFile> file, std::string_view mode)
    : file_(file.get()), owned_(std::move(file)), mode_(mode.substr(0, std::min(mode.size(), kModeLength))) {}

StoreHandle::~StoreHandle() {
    close();
}

bool StoreHandle::close() {
    if (!open_) return true;
    open_ = false;
    // A position past the written bytes (a seek without a write) reads back as zeros.
    if (writing()) {
        file_->data.resize(file_->position);
        // The spare room of the writes is not kept: a store holds many small files for long.
        file_->data.shrink_to_fit();
    }
    if (store_) {
        store_->fileClosed(*file_, writing());
        return true;
    }
    return !(external() && writing()) || replaceDiskFile(file_->path, file_->data);
}

bool storeFileClose(std::unique_ptr<StoreHandle> handle) {
    return handle && handle->close();
}

size_t storeRead(StoreHandle& handle, size_t count, void* buffer) {
    const StoreFile& file = *handle.file_;
    if (handle.writing() || file.position >= file.data.size()) return 0;
    const size_t copied = std::min(count, file.data.size() - file.position);
    std::copy_n(file.data.data() + file.position, copied, static_cast<uint8_t*>(buffer));
    handle.file_->position += static_cast<uint32_t>(copied);
    return copied;
}

int storeGetByte(StoreHandle& handle) {
    StoreFile& file = *handle.file_;
    if (file.position >= file.data.size()) return -1;
    return file.data[file.position++];
}

size_t storeWrite(StoreHandle& handle, size_t count, const void* bytes) {
    StoreFile& file = *handle.file_;
    const uint64_t end = uint64_t{file.position} + count;
    if (handle.mode_.starts_with('r') || end > kMaxFileBytes) return 0;
    if (end > file.data.size()) {
        // Spare room keeps small appends from growing the file each time; a write after a
        // seek past the end needs more than that.
        const uint64_t grown = std::min<uint64_t>(file.data.size() + count + 1024, kMaxFileBytes);
        file.data.resize(static_cast<size_t>(std::max(grown, end)));
    }
    std::copy_n(static_cast<const uint8_t*>(bytes), count, file.data.data() + file.position);
    file.position = static_cast<uint32_t>(end);
    return count;
}

uint32_t storeTell(const StoreHandle& handle) {
    return handle.file_->position;
}

void storeSeek(StoreHandle& handle, uint32_t position) {
    handle.file_->position = position;
}

std::string_view storeUnreadBytes(const StoreHandle& handle) {
    const StoreFile& file = *handle.file_;
    if (handle.writing() || file.position >= file.data.size()) return {};
    return {reinterpret_cast<const char*>(file.data.data()) + file.position, file.data.size() - file.position};
}

std::unique_ptr<StoreHandle> storeMemoryHandle(const void* bytes, size_t count) {
    if (count > kMaxFileBytes) return nullptr;
    const auto* first = static_cast<const uint8_t*>(bytes);
    auto file = std::make_unique<StoreFile>();
    file->data.assign(first, first + count);
    return std::make_unique<StoreHandle>(std::move(file), "");
}
