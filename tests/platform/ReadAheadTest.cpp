#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/FileDescriptor.h"
#include "platform/ReadAhead.h"
#include "support/TempFolder.h"

namespace {

constexpr size_t kFileBytes = 1024 * 1024;
constexpr uint64_t kEndBytes = 64 * 1024;

// Whether the page of the byte at `offset` is in the cache; asking reads nothing.
bool cached(const std::string& path, off_t offset) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    void* pages = ::mmap(nullptr, kFileBytes, PROT_READ, MAP_SHARED, file.get(), 0);
    if (pages == MAP_FAILED) return false;
    const long pageBytes = ::sysconf(_SC_PAGESIZE);
    unsigned char resident = 0;
    const bool asked = ::mincore(static_cast<char*>(pages) + offset / pageBytes * pageBytes, 1, &resident) == 0;
    ::munmap(pages, kFileBytes);
    return asked && (resident & 1) != 0;
}

// Written to disk and dropped from the cache; false where the file system keeps it anyway.
bool evicted(const std::string& path) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    ::fdatasync(file.get());
    ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_DONTNEED);
    return !cached(path, 0) && !cached(path, kFileBytes - 1) && !cached(path, kFileBytes / 2);
}

bool becomesCached(const std::string& path, off_t offset) {
    for (int tries = 0; tries < 500; ++tries) {
        if (cached(path, offset)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace

// A file out of the cache has its start and end brought in and says the disk was needed;
// once cached, or when it is no file to read, it asks for no reading.
TEST(ReadAhead, BringsAColdFilesEndsIntoTheCache) {
    TempFolder folder;
    const std::string song = folder / "song.mp3";
    TempFolder::write(song, std::string(kFileBytes, 'x'));
    if (!evicted(song)) GTEST_SKIP() << "this file system keeps files in memory";

    EXPECT_TRUE(readAhead(song, kEndBytes));
    EXPECT_TRUE(becomesCached(song, 0));
    EXPECT_TRUE(becomesCached(song, kFileBytes - kEndBytes));
    EXPECT_FALSE(readAhead(song, kEndBytes));

    EXPECT_FALSE(readAhead(folder / "missing.mp3", kEndBytes));
    const std::string pipe = folder / "pipe.mp3";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(readAhead(pipe, kEndBytes));  // and returns: no writer is waited for
}

// Reading a file that is out of the cache counts on the reading thread.
TEST(ReadAhead, CountsTheDiskReadsOfTheThread) {
    TempFolder folder;
    const std::string song = folder / "song.mp3";
    TempFolder::write(song, std::string(kFileBytes, 'x'));
    if (!evicted(song)) GTEST_SKIP() << "this file system keeps files in memory";
    const uint64_t before = threadDiskReads();
    TempFolder::read(song);
    EXPECT_GT(threadDiskReads(), before);
    const uint64_t cachedReads = threadDiskReads();
    TempFolder::read(song);
    EXPECT_EQ(threadDiskReads(), cachedReads);
}
