#pragma once
// An open file: of the cluster store, of the disk (a mode whose second character is 'e')
// or of a private memory block (empty mode). A handle is used by one thread at a time.
// Mode "r..." reads, "w..." writes the file anew; the write takes effect at close.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class FileStore;
struct StoreFile;

class StoreHandle {
public:
    // A file of `store`, already marked in use there.
    StoreHandle(StoreFile& file, FileStore& store, std::string_view mode);
    // A disk or memory file that lives and dies with the handle.
    StoreHandle(std::unique_ptr<StoreFile> file, std::string_view mode);
    // Closes the handle (committing a write) if storeFileClose did not.
    ~StoreHandle();
    StoreHandle(const StoreHandle&) = delete;
    StoreHandle& operator=(const StoreHandle&) = delete;

private:
    friend bool storeFileClose(std::unique_ptr<StoreHandle> handle);
    friend size_t storeRead(StoreHandle& handle, size_t count, void* buffer);
    friend int storeGetByte(StoreHandle& handle);
    friend size_t storeWrite(StoreHandle& handle, size_t count, const void* bytes);
    friend uint32_t storeTell(const StoreHandle& handle);
    friend void storeSeek(StoreHandle& handle, uint32_t position);
    friend std::string_view storeUnreadBytes(const StoreHandle& handle);

    bool close();
    bool writing() const { return mode_.starts_with('w'); }
    bool external() const { return mode_.size() > 1 && mode_[1] == 'e'; }

    StoreFile* file_;
    std::unique_ptr<StoreFile> owned_;  // disk and memory files
    FileStore* store_ = nullptr;        // store files
    std::string mode_;
    bool open_ = true;
};

// Closes and frees the handle. A store file becomes its new contents at once (the disk
// follows at the next flush); a disk file is replaced atomically. False when that
// replacement failed, which leaves the old disk file as it was.
bool storeFileClose(std::unique_ptr<StoreHandle> handle);

// Up to `count` bytes from the position, never past the end; nothing in write mode.
size_t storeRead(StoreHandle& handle, size_t count, void* buffer);
// The byte at the position (advancing it), or -1 at or after the end.
int storeGetByte(StoreHandle& handle);
// Writes at the position, growing the file; nothing in read mode, nor past 4 GiB.
size_t storeWrite(StoreHandle& handle, size_t count, const void* bytes);
uint32_t storeTell(const StoreHandle& handle);
// Any position is allowed; reads past the end return nothing.
void storeSeek(StoreHandle& handle, uint32_t position);
// The bytes from the position to the end, for parsers that scan in place; empty in write
// mode. Valid until the next write to or close of the handle.
std::string_view storeUnreadBytes(const StoreHandle& handle);

// A readable handle on a private copy of the bytes, in no cluster; null above 4 GiB.
std::unique_ptr<StoreHandle> storeMemoryHandle(const void* bytes, size_t count);
