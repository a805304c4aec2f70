#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <future>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>

#include "storage/FileStore.h"
#include "storage/StoreHandle.h"
#include "text/Str.h"
#include "support/CapturedOutput.h"
#include "support/TempFolder.h"

namespace {

std::string u32(uint32_t value) {
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

std::string entry(const std::string& path, const std::string& data) {
    return u32(0) + u32(static_cast<uint32_t>(path.size())) + u32(static_cast<uint32_t>(data.size())) + path + data;
}

// Disk writes above `bytes` fail with EFBIG while it lives (even as root).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit old_{};
    void (*previousHandler_)(int);
};

class FileStoreTest : public testing::Test {
protected:
    FileStoreTest() { store.storeOpen(folder.path()); }

    bool put(const std::string& path, const std::string& text) {
        auto handle = store.storeFileOpen(path, "w");
        return handle && storeWrite(*handle, text.size(), text.data()) == text.size() &&
               storeFileClose(std::move(handle));
    }
    std::optional<std::string> get(const std::string& path, const char* mode = "r") {
        auto handle = store.storeFileOpen(path, mode);
        if (!handle) return std::nullopt;
        return std::string(storeUnreadBytes(*handle));
    }
    std::string clusterPath(const std::string& path) const {
        return folder / (std::to_string(FileStore::clusterNumber(path)) + ".dat");
    }
    std::string flushLog() {
        return capturedOutput([this] { store.storeFlush(); });
    }
    std::string unloadLog() {
        return capturedOutput([this] { store.storeUnloadIdle(); });
    }

    TempFolder folder;
    uint32_t now = 0xFFFFF000u;  // close to wrapping
    FileStore store{[this] { return now; }};
};

}  // namespace

TEST(FileStoreCluster, IsTheLowSixBitsOfFnv1) {
    EXPECT_EQ(FileStore::clusterNumber("abc"), 11);
    EXPECT_EQ(FileStore::normalisePath("C:\\Music\\a"), "C:/Music/a");
}

TEST_F(FileStoreTest, BothSeparatorsReachOneFileAndAWriteReplacesItWhole) {
    ASSERT_TRUE(put("C:\\Music\\a\\playlist.vmr", std::string(100, 'x')));
    EXPECT_EQ(get("C:/Music/a/playlist.vmr"), std::string(100, 'x'));
    ASSERT_TRUE(put("C:/Music/a/playlist.vmr", "0123456789"));
    EXPECT_EQ(get("C:/Music/a/playlist.vmr"), "0123456789");
    EXPECT_EQ(get("c:/music/a/playlist.vmr"), std::nullopt);
}

TEST_F(FileStoreTest, OneHandlePerFileAndReadsNeedTheStoreOrTheDisk) {
    ASSERT_TRUE(put("/m/a", "abc"));
    auto first = store.storeFileOpen("/m/a", "r");
    ASSERT_TRUE(first);
    EXPECT_EQ(store.storeFileOpen("/m/a", "r"), nullptr);
    storeFileClose(std::move(first));
    EXPECT_TRUE(store.storeFileOpen("/m/a", "r"));

    EXPECT_EQ(get(folder / "missing"), std::nullopt);
    const std::string onDisk = folder / "disk.vmr";
    TempFolder::write(onDisk, "from disk");
    EXPECT_EQ(get(onDisk), "from disk");
    std::filesystem::remove(onDisk);
    EXPECT_EQ(get(onDisk), "from disk");  // taken into the store
}

TEST_F(FileStoreTest, HandlesHonourTheirModeAndGrowPastSeeks) {
    ASSERT_TRUE(put("/m/a", "abc"));
    auto reader = store.storeFileOpen("/m/a", "r");
    EXPECT_EQ(storeWrite(*reader, 1, "z"), 0u);
    char buffer[8];
    EXPECT_EQ(storeRead(*reader, sizeof buffer, buffer), 3u);
    EXPECT_EQ(storeGetByte(*reader), -1);
    storeSeek(*reader, 1);
    EXPECT_EQ(storeGetByte(*reader), 'b');
    EXPECT_EQ(storeTell(*reader), 2u);
    reader.reset();

    auto writer = store.storeFileOpen("/m/a", "w");
    EXPECT_EQ(storeRead(*writer, sizeof buffer, buffer), 0u);
    storeSeek(*writer, 5000);
    EXPECT_EQ(storeWrite(*writer, 2, "ok"), 2u);
    storeFileClose(std::move(writer));
    const auto grown = get("/m/a");
    ASSERT_EQ(grown->size(), 5002u);
    EXPECT_EQ(grown->substr(0, 3), "abc");  // old bytes stay where nothing was written
    EXPECT_EQ(grown->substr(4990), std::string(10, '\0') + "ok");

    auto memory = storeMemoryHandle("mem", 3);
    EXPECT_EQ(storeUnreadBytes(*memory), "mem");
}

TEST_F(FileStoreTest, ClusterFilesHaveTheirExactLayout) {
    ASSERT_TRUE(put("/m/a", "xyz"));
    ASSERT_TRUE(put("/m/a", "xyz!"));
    EXPECT_EQ(flushLog(), "Writing cluster " + std::to_string(FileStore::clusterNumber("/m/a")) + "\n");
    EXPECT_EQ(flushLog(), "");
    EXPECT_EQ(TempFolder::read(clusterPath("/m/a")), u32(0) + u32(1) + entry("/m/a", "xyz!"));

    TempFolder::write(folder / "11.dat", u32(7) + u32(2) + entry("abc", "one") + entry("abc", "two"));
    EXPECT_EQ(get("abc"), "one");
    TempFolder::write(clusterPath("/e"), u32(0) + u32(0));
    EXPECT_EQ(get("/e"), std::nullopt);
}

TEST_F(FileStoreTest, IdleClustersAreWrittenAndUnloadedAfterFiveSeconds) {
    ASSERT_TRUE(put("/m/a", "kept"));
    auto open = store.storeFileOpen("/m/b", "w");
    now += 6000;
    EXPECT_EQ(unloadLog().find(clusterPath("/m/b")), std::string::npos);
    storeFileClose(std::move(open));

    now += 5000;
    EXPECT_EQ(unloadLog(), "");
    now += 1;
    EXPECT_NE(unloadLog().find("Deactivated filecluster " + clusterPath("/m/b") + "\n"), std::string::npos);
    EXPECT_EQ(get("/m/a"), "kept");
}

TEST_F(FileStoreTest, StatisticsListEveryCluster) {
    TempFolder::write(folder / "11.dat", u32(0) + u32(1) + entry("abc", "one"));
    Str out("<p>");
    store.storeStatistics(out);
    const std::string text = out.str();
    EXPECT_TRUE(text.starts_with("<p>Num clusters: 64<br>Num files in clusters: 1<br>Num bytes in clusters: 26<br>"
                                 "Cluster 0 contains 0 files and 0 bytes.<br>"));
    EXPECT_NE(text.find("Cluster 11 contains 1 files and 26 bytes.<br>Cluster 12 "), std::string::npos);
    EXPECT_TRUE(text.ends_with("Cluster 63 contains 0 files and 0 bytes.<br>"));
}

TEST_F(FileStoreTest, RenamePrefixMovesFilesToTheirNewClusterOnce) {
    ASSERT_TRUE(put("C:/Old/x/playlist.vmr", "songs"));
    ASSERT_TRUE(put("C:/Other/playlist.vmr", "other"));
    store.storeRenamePrefix("C:\\Old", "C:/New");
    EXPECT_EQ(get("C:/Old/x/playlist.vmr"), std::nullopt);
    EXPECT_EQ(get("C:/New/x/playlist.vmr"), "songs");
    flushLog();
    EXPECT_NE(TempFolder::read(clusterPath("C:/New/x/playlist.vmr")).find("C:/New/x/playlist.vmr"), std::string::npos);

    store.storeRenamePrefix("C:/Other", "C:/Other/sub");
    EXPECT_EQ(get("C:/Other/sub/playlist.vmr"), "other");
}

TEST_F(FileStoreTest, DiskFilesAreReplacedAtomically) {
    const std::string path = folder / "repository.vmr";
    TempFolder::write(path, "old contents");
    auto writer = FileStore::openExternal(path, "we");
    storeWrite(*writer, 100, std::string(100, 'n').data());
    {
        const FileSizeLimit limit(50);
        EXPECT_FALSE(storeFileClose(std::move(writer)));
    }
    EXPECT_EQ(TempFolder::read(path), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);

    auto retry = store.storeFileOpen(path, "we");
    storeWrite(*retry, 3, "new");
    EXPECT_TRUE(storeFileClose(std::move(retry)));
    EXPECT_EQ(get(path, "re"), "new");
    EXPECT_EQ(get(folder / "missing", "re"), std::nullopt);
}

TEST_F(FileStoreTest, DamagedClusterFilesKeepTheirWholeEntriesAndACopy) {
    const std::string damaged = u32(0) + u32(3) + entry("abc", "one") + entry("abc2", "two").substr(0, 15);
    const std::string path = folder / "11.dat";
    TempFolder::write(path, damaged);
    EXPECT_EQ(capturedOutput([&] { EXPECT_EQ(get("abc"), "one"); }), "Damaged cluster file " + path + "\n");
    EXPECT_EQ(TempFolder::read(path + ".damaged"), damaged);
    flushLog();
    EXPECT_EQ(TempFolder::read(path), u32(0) + u32(1) + entry("abc", "one"));

    FileStore other;
    other.storeOpen(folder.path());
    TempFolder::write(path, u32(0) + u32(0xFFFFFFFFu) + u32(0) + u32(0xFFFFFFF0u));
    EXPECT_NE(capturedOutput([&] { EXPECT_EQ(other.storeFileOpen("abc", "r"), nullptr); }), "");
}

// Bytes a reader has parsed stay only on disk: every later write, rename and read must
// get them back from the cluster file, and a cluster file changed behind the store must
// not lose what it still holds without a word.
TEST_F(FileStoreTest, BytesLeftOnDiskComeBackForReadsWritesAndRenames) {
    std::vector<std::string> paths;
    for (int n = 0; paths.size() < 3; ++n) {
        if (FileStore::clusterNumber("/p" + std::to_string(n)) == 11) paths.push_back("/p" + std::to_string(n));
    }
    const std::string cluster = folder / "11.dat";
    TempFolder::write(cluster, u32(0) + u32(2) + entry(paths[0], "zero") + entry(paths[1], "one"));
    EXPECT_EQ(get(paths[0]), "zero");
    ASSERT_TRUE(put(paths[2], "two"));
    flushLog();
    EXPECT_EQ(TempFolder::read(cluster),
              u32(0) + u32(3) + entry(paths[0], "zero") + entry(paths[1], "one") + entry(paths[2], "two"));
    EXPECT_EQ(get(paths[1]), "one");
    ASSERT_TRUE(put(paths[1], "ONE"));
    flushLog();
    EXPECT_EQ(TempFolder::read(cluster),
              u32(0) + u32(3) + entry(paths[0], "zero") + entry(paths[1], "ONE") + entry(paths[2], "two"));
    EXPECT_EQ(get(paths[2]), "two");

    store.storeRenamePrefix(paths[0], "/moved");
    EXPECT_EQ(get("/moved"), "zero");
    flushLog();
    EXPECT_EQ(get("/moved"), "zero");

    // Unreadable for a while: nothing is written, read or renamed without those bytes.
    const std::string held = TempFolder::read(cluster);
    std::filesystem::rename(cluster, cluster + ".away");
    std::filesystem::create_directory(cluster);
    ASSERT_TRUE(put(paths[2], "TWO"));
    EXPECT_NE(flushLog().find("Could not read cluster file " + cluster + "\n"), std::string::npos);
    EXPECT_EQ(get(paths[1]), std::nullopt);
    store.storeRenamePrefix(paths[1], "/elsewhere");
    std::filesystem::remove(cluster);
    std::filesystem::rename(cluster + ".away", cluster);
    EXPECT_EQ(get(paths[1]), "ONE");
    flushLog();
    const std::string rewritten = TempFolder::read(cluster);
    EXPECT_NE(rewritten.find(entry(paths[1], "ONE")), std::string::npos) << held;
    EXPECT_NE(rewritten.find(entry(paths[2], "TWO")), std::string::npos);
    ASSERT_TRUE(put(paths[2], "two"));
    flushLog();

    // Written by something else: what no longer matches is dropped, loudly, with a copy.
    const std::string foreign = u32(0) + u32(2) + entry(paths[2], "two") + entry(paths[1], "ONE");
    TempFolder::write(cluster, foreign);
    ASSERT_TRUE(put("abc", "new"));
    EXPECT_NE(flushLog().find("Damaged cluster file " + cluster + "\n"), std::string::npos);
    EXPECT_EQ(TempFolder::read(cluster + ".damaged"), foreign);
    EXPECT_EQ(get("abc"), "new");
    EXPECT_EQ(get(paths[1]), std::nullopt);
}

TEST_F(FileStoreTest, ExportWritesEveryAdmittedFileToItsOwnPath) {
    const std::string target = folder / "exported.vmr";
    const std::string refused = folder / "refused.vmr";
    ASSERT_TRUE(put(target, "exported"));
    ASSERT_TRUE(put(refused, "refused"));
    ASSERT_TRUE(put(folder / "no/such/folder/x", "skipped"));
    store.storeExportAll([&](std::string_view path) { return path != refused; });
    EXPECT_EQ(TempFolder::read(target), "exported");
    EXPECT_FALSE(std::filesystem::exists(refused));
}

// A full disk once lost every change made meanwhile, and told nobody.
TEST_F(FileStoreTest, FailedWritesAreReportedOnceAndWrittenAtAFlushOnceTheyCan) {
    std::vector<std::string> reports;
    store.setTroubleReport([&reports](std::string_view message) { reports.emplace_back(message); });
    const std::string settings = folder / "repository.vmr";
    const auto bytes = [](const std::string& text) {
        return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    };
    ASSERT_TRUE(store.writeDiskFile(settings, bytes("stored")));
    ASSERT_TRUE(put("/m/a", std::string(200, 'a')));
    {
        const FileSizeLimit limit(100);
        EXPECT_FALSE(store.writeDiskFile(settings, bytes(std::string(150, 'x'))));
        EXPECT_FALSE(store.writeDiskFile(settings, bytes("newest " + std::string(150, 'y'))));
        capturedOutput([&] {
            EXPECT_FALSE(store.storeFlush());
            EXPECT_FALSE(store.storeFlush());
            now += 6000;
            store.storeUnloadIdle();
        });
    }
    EXPECT_EQ(reports, (std::vector<std::string>{"Error writing " + settings + ": File too large\n",
                                                 "Error writing " + clusterPath("/m/a") + ": File too large\n"}));
    EXPECT_EQ(TempFolder::read(settings), "stored");
    EXPECT_FALSE(std::filesystem::exists(clusterPath("/m/a")));

    const std::string log = capturedOutput([&] { EXPECT_TRUE(store.storeFlush()); });
    EXPECT_NE(log.find("Wrote " + settings + " again\n"), std::string::npos);
    EXPECT_NE(log.find("Wrote " + clusterPath("/m/a") + " again\n"), std::string::npos);
    EXPECT_EQ(TempFolder::read(settings), "newest " + std::string(150, 'y'));
    EXPECT_EQ(TempFolder::read(clusterPath("/m/a")).size(), 8u + 12u + 4u + 200u);
    EXPECT_EQ(reports.size(), 2u);

    // A kept write that is overtaken by a removal stays removed.
    {
        const FileSizeLimit limit(1);
        store.writeDiskFile(folder / "scan.vmr", bytes("FULL_SCAN 1\n"));
    }
    store.removeDiskFile(folder / "scan.vmr");
    EXPECT_TRUE(store.storeFlush());
    EXPECT_FALSE(std::filesystem::exists(folder / "scan.vmr"));
}

TEST(FileStoreFolder, AMissingStoreFolderIsCreatedAgainOnlyInsideItsParent) {
    TempFolder settings;
    FileStore store;
    EXPECT_EQ(capturedOutput([&] { store.storeOpen(settings / "database"); }),
              "Created the missing folder " + settings / "database\n");
    const auto put = [&store](const std::string& path) {
        auto handle = store.storeFileOpen(path, "w");
        storeWrite(*handle, 4, "data");
        return storeFileClose(std::move(handle));
    };
    ASSERT_TRUE(put("/m/a"));
    std::filesystem::remove_all(settings / "database");
    const std::string log = capturedOutput([&] { EXPECT_TRUE(store.storeFlush()); });
    EXPECT_NE(log.find("Created the missing folder " + settings / "database\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(settings / ("database/" + std::to_string(FileStore::clusterNumber("/m/a")) + ".dat")));

    FileStore orphan;
    orphan.storeOpen(settings / "gone/database");
    auto handle = orphan.storeFileOpen("/m/a", "w");
    storeFileClose(std::move(handle));
    const std::string failed = capturedOutput([&] { EXPECT_FALSE(orphan.storeFlush()); });
    EXPECT_NE(failed.find("Error writing " + settings / "gone/database/"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(settings / "gone"));
    capturedOutput([&] { orphan.storeClose(); });
}

TEST_F(FileStoreTest, AUserChangeMakesTheNextFlushDueWithinHalfASecond) {
    const uint64_t before = store.changeCount();
    ASSERT_TRUE(put("/m/a", "rated"));
    EXPECT_EQ(store.changeCount(), before + 1);
    get("/m/a");
    EXPECT_EQ(store.changeCount(), before + 1);

    EXPECT_FALSE(store.flushDue());
    store.storeFlushSoon();
    now += 300;
    store.storeFlushSoon();  // shares the first one's flush
    now += 199;
    EXPECT_FALSE(store.flushDue());
    now += 1;
    EXPECT_TRUE(store.flushDue());
    flushLog();
    EXPECT_FALSE(store.flushDue());
}

// What a sleeping caller needs to know, and a flush in steps of one cluster each.
TEST_F(FileStoreTest, TimedWorkIsToldAndAFlushGoesOneClusterAStep) {
    EXPECT_FALSE(store.hasUnwritten());
    EXPECT_EQ(store.untilTimedWork(), std::nullopt);
    std::vector<std::string> paths;
    for (int i = 0; paths.size() < 2; ++i) {
        const std::string path = "/s/" + std::to_string(i);
        if (paths.empty() || FileStore::clusterNumber(path) != FileStore::clusterNumber(paths[0])) paths.push_back(path);
    }
    ASSERT_TRUE(put(paths[0], "one"));
    ASSERT_TRUE(put(paths[1], "two"));
    EXPECT_TRUE(store.hasUnwritten());
    EXPECT_EQ(store.untilTimedWork(), 5001u);  // both clusters fall idle then
    now += 1000;
    store.storeFlushSoon();
    EXPECT_EQ(store.untilTimedWork(), 500u);

    const std::string log = capturedOutput([&] {
        EXPECT_FALSE(store.storeFlushStep());
        EXPECT_FALSE(store.flushDue());
        EXPECT_TRUE(store.hasUnwritten());
        EXPECT_FALSE(store.storeFlushStep());
        EXPECT_TRUE(store.storeFlushStep());
    });
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
    EXPECT_FALSE(store.hasUnwritten());
    EXPECT_EQ(TempFolder::read(clusterPath(paths[1])).size(), 8u + 12u + paths[1].size() + 3u);

    // A cluster that cannot be written ends its round and waits for the flushes, not for idling.
    ASSERT_TRUE(put(paths[0], std::string(200, 'a')));
    {
        const FileSizeLimit limit(100);
        capturedOutput([&] {
            while (!store.storeFlushStep()) {
            }
        });
    }
    EXPECT_TRUE(store.hasUnwritten());
    now += 6000;
    EXPECT_EQ(store.untilTimedWork(), 0u);  // the clean cluster is idle; the failing one is not counted
    unloadLog();
    EXPECT_EQ(store.untilTimedWork(), std::nullopt);
}

// A flush lets the lock go while a cluster file is written: a change made meanwhile must
// reach the disk at the next flush, and bytes read meanwhile must not be dropped against
// offsets of the file being replaced, nor the cluster unloaded under the write.
TEST_F(FileStoreTest, WhatHappensWhileAClusterIsWrittenIsKept) {
    std::vector<std::string> paths;
    for (int n = 0; paths.size() < 3; ++n) {
        if (FileStore::clusterNumber("/w" + std::to_string(n)) == 11) paths.push_back("/w" + std::to_string(n));
    }
    const std::string cluster = folder / "11.dat";
    ASSERT_TRUE(put(paths[0], "zero"));
    ASSERT_TRUE(put(paths[1], "one"));
    flushLog();
    EXPECT_EQ(get(paths[1]), "one");  // its bytes now stay on disk
    ASSERT_TRUE(put(paths[0], "ZERO"));
    now += 6000;

    std::string onDiskDuringWrite;
    const FileStore::LetGo readAndUnload = [&](const std::function<void()>& write) {
        store.storeUnloadIdle();
        EXPECT_EQ(get(paths[1]), "one");
        write();
        onDiskDuringWrite = TempFolder::read(cluster);
    };
    EXPECT_EQ(capturedOutput([&] { EXPECT_TRUE(store.storeFlush(readAndUnload)); }), "Writing cluster 11\n");
    EXPECT_FALSE(store.hasUnwritten());
    EXPECT_EQ(onDiskDuringWrite, u32(0) + u32(2) + entry(paths[0], "ZERO") + entry(paths[1], "one"));
    ASSERT_TRUE(put(paths[2], "two"));
    flushLog();
    EXPECT_EQ(get(paths[1]), "one");

    const FileStore::LetGo changeAndRead = [&](const std::function<void()>& write) {
        write();
        EXPECT_TRUE(put(paths[0], "changed while written"));
        EXPECT_EQ(get(paths[1]), "one");
    };
    ASSERT_TRUE(put(paths[2], "TWO"));
    capturedOutput([&] { EXPECT_TRUE(store.storeFlush(changeAndRead)); });
    EXPECT_EQ(TempFolder::read(cluster),
              u32(0) + u32(3) + entry(paths[0], "ZERO") + entry(paths[1], "one") + entry(paths[2], "TWO"));
    EXPECT_TRUE(store.hasUnwritten());
    EXPECT_EQ(flushLog(), "Writing cluster 11\n");
    EXPECT_EQ(TempFolder::read(cluster), u32(0) + u32(3) + entry(paths[0], "changed while written") +
                                             entry(paths[1], "one") + entry(paths[2], "TWO"));
    EXPECT_EQ(get(paths[1]), "one");
}

// Two threads flushing at once: the second waits for the first's write of a cluster (with
// the lock let go) and writes the change the first did not take.
TEST_F(FileStoreTest, ASecondFlushWaitsForTheWriteUnderWayAndWritesWhatItMissed) {
    std::mutex lock;
    ASSERT_TRUE(put("/m/a", "first"));
    std::promise<void> firstWriting;
    std::promise<void> goOn;
    std::string firstLog;
    lock.lock();
    std::thread first([&] {
        const std::lock_guard guard(lock);
        firstLog = capturedOutput([&] {
            EXPECT_TRUE(store.storeFlush([&](const std::function<void()>& write) {
                lock.unlock();
                firstWriting.set_value();
                goOn.get_future().wait();
                write();
                lock.lock();
            }));
        });
    });
    lock.unlock();
    firstWriting.get_future().wait();
    {
        const std::lock_guard guard(lock);
        ASSERT_TRUE(put("/m/a", "second"));
    }
    std::thread second([&] {
        const std::lock_guard guard(lock);
        EXPECT_TRUE(store.storeFlush(letGoOf(lock)));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the second thread waits
    goOn.set_value();
    first.join();
    second.join();
    EXPECT_EQ(firstLog, "Writing cluster " + std::to_string(FileStore::clusterNumber("/m/a")) + "\n");
    EXPECT_EQ(TempFolder::read(clusterPath("/m/a")), u32(0) + u32(1) + entry("/m/a", "second"));
    EXPECT_FALSE(store.hasUnwritten());
}
