#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "LibraryFixture.h"
#include "library/ScanJob.h"
#include "library/ScanMark.h"
#include "library/ScanWorker.h"
#include "platform/WakingMutex.h"

class ScanJobTest : public LibraryFixture {
protected:
    ScanJobTest() {
        for (const char* name : {"One/a.mp3", "Two/b.mp3", "Two/notes.txt"}) put(name);
        Node settings;
        settings.appendChild("USER", "username")
            ->appendChild("REPOSITORY_PATHS", music() + "/One\n  \n" + music() + "/Two/\n");
        saveNodeFile(settings, folder / "repository.vmr", true);
        testing::internal::CaptureStdout();
        repository.open(folder / "repository.vmr", folder / "radio2.vmr");
        testing::internal::GetCapturedStdout();
    }
    ScanJob job(Scanner& scanning) {
        return ScanJob{repository, scanning, lock, quit, {}, [this](bool reset) { rebuilds.push_back(reset); }};
    }
    std::string firstEntry(const RepositoryFolder& folder) { return folder.content().firstChild()->value(); }

    WakingMutex lock;
    std::atomic<bool> quit{false};
    std::vector<bool> rebuilds;
};

TEST_F(ScanJobTest, AFullScanMergesEveryMusicFolderAndCountsItsFiles) {
    testing::internal::CaptureStdout();
    runScanJob(job(scanner), "");
    ASSERT_EQ(repository.folders().size(), 2u);
    EXPECT_EQ(firstEntry(*repository.folders().front()), "a.mp3");
    EXPECT_EQ(firstEntry(*repository.folders().back()), "b.mp3");
    EXPECT_EQ(repository.getSetting("REPOSITORY_NUM_FILES"), "3");
    EXPECT_EQ(scanner.tree().firstChild(), nullptr);

    std::filesystem::remove(folder / "repository.vmr");
    runScanJob(job(scanner), "");
    EXPECT_FALSE(std::filesystem::exists(folder / "repository.vmr"));

    // One folder: the count stays and the page is kept.
    put("Two/c.mp3");
    runScanJob(job(scanner), music() + "/Two");
    testing::internal::GetCapturedStdout();
    EXPECT_NE(childWith(repository.folders().back()->content(), "AUDIO", "c.mp3"), nullptr);
    EXPECT_EQ(repository.getSetting("REPOSITORY_NUM_FILES"), "3");
    EXPECT_EQ(rebuilds, (std::vector<bool>{true, true, false}));

    // New subfolders join in name order, ASCII case ignored.
    for (const char* name : {"Two/zed/z.mp3", "Two/Beta/b.mp3", "Two/alpha/a.mp3"}) put(name);
    testing::internal::CaptureStdout();
    runScanJob(job(scanner), "");
    testing::internal::GetCapturedStdout();
    std::string names;
    for (const auto& child : repository.folders().back()->children()) names += std::string(child->name()) + " ";
    EXPECT_EQ(names, "alpha Beta zed ");

    // Once quitting, nothing is entered and nothing merged.
    QuitAwareScanner quitting(quit);
    quit = true;
    put("Two/d.mp3");
    runScanJob(job(quitting), "");
    EXPECT_EQ(childWith(repository.folders().back()->content(), "AUDIO", "d.mp3"), nullptr);
    EXPECT_EQ(rebuilds.size(), 4u);
}

TEST_F(ScanJobTest, OnlyOneWorkerRunsAtATime) {
    std::atomic<bool> running{false};
    {
        ScanWorker worker(running);
        testing::internal::CaptureStdout();
        ASSERT_TRUE(worker.start(job(scanner), ""));
        EXPECT_FALSE(worker.start(job(scanner), ""));
        while (running) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_TRUE(worker.start(job(scanner), music() + "/One"));
    }
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(running);
    EXPECT_EQ(rebuilds, (std::vector<bool>{true, false}));
}

// A scan killed half-way once left a library that had to be scanned again by hand.
TEST_F(ScanJobTest, AScanStaysMarkedUntilItsMergeIsOnDisk) {
    const std::string markPath = folder / "scan.vmr";
    ScanMark mark(store);
    mark.open(markPath);
    EXPECT_EQ(mark.interrupted(), std::nullopt);

    // What a kill during the walk would leave behind.
    class MarkReader : public Scanner {
    public:
        explicit MarkReader(std::string path) : path_(std::move(path)) {}
        bool shouldEnter(std::string_view) override {
            seen = TempFolder::read(path_);
            return true;
        }
        std::string seen;

    private:
        std::string path_;
    } walking(markPath);
    ScanJob marked = job(walking);
    marked.mark = &mark;
    testing::internal::CaptureStdout();
    runScanJob(marked, "");
    EXPECT_EQ(walking.seen, "FULL_SCAN 1\nFOLDER " + music() + "/One\nFOLDER " + music() + "/Two/\n");
    EXPECT_FALSE(std::filesystem::exists(markPath));
    EXPECT_TRUE(std::filesystem::exists(folder / ("database/" + std::to_string(FileStore::clusterNumber(music() + "/One/playlist.vmr")) + ".dat")));

    // Cut short by quitting: the mark stays, for the full scan and for one folder.
    QuitAwareScanner quitting(quit);
    quit = true;
    ScanJob cut = job(quitting);
    cut.mark = &mark;
    runScanJob(cut, "");
    EXPECT_EQ(mark.interrupted(), "");
    runScanJob(cut, music() + "/Two");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(mark.interrupted(), music() + "/Two");
}

// Enough moved songs that their candidates are read on several threads: each keeps its
// rating; one whose title changed as it moved does not.
TEST_F(ScanJobTest, ManyMovedSongsAreKnownAgainByTheirTags) {
    constexpr int kSongs = 200;
    const auto name = [](int n) { return "song " + std::to_string(1000 + n); };  // its file's text and title
    for (int n = 0; n < kSongs; ++n) TempFolder::write(music() + "/Two/Many/" + name(n) + ".mp3", name(n));
    testing::internal::CaptureStdout();
    runScanJob(job(scanner), "");
    RepositoryFolder& many = *repository.folders().back()->children().front();
    for (Node& entry : many.content().children()) {
        const std::string title = TempFolder::read(music() + "/Two/Many/" + entry.value());
        entry.setChild("TITLE", title);
        entry.setChild("SIZE", std::to_string(title.size()));
        entry.setChild("RATE", title.substr(5));
    }
    std::filesystem::rename(music() + "/Two/Many", music() + "/Two/Moved");
    TempFolder::write(music() + "/Two/Moved/" + name(7) + ".mp3", "sung 1007");
    ScanJob moving = job(scanner);
    moving.readTags = [](std::string_view path, Node& tags, uint32_t& lengthMs) {
        tags.setChild("TITLE", TempFolder::read(std::string(path)));
        lengthMs = 0;
        return true;
    };
    runScanJob(moving, "");
    const std::string log = testing::internal::GetCapturedStdout();
    const RepositoryFolder& moved = *repository.folders().back()->children().front();
    ASSERT_EQ(std::string(moved.path()), music() + "/Two/Moved");
    int kept = 0;
    for (const Node& entry : moved.content().children()) {
        const std::string rate = entry.childValue("RATE", "");
        EXPECT_EQ(rate, entry.value() == name(7) + ".mp3" ? "" : std::string(entry.value()).substr(5, 4));
        kept += !rate.empty();
    }
    EXPECT_EQ(kept, kSongs - 1);
    EXPECT_NE(log.find("Moved " + music() + "/Two/Many/" + name(0) + ".mp3 to " + music() + "/Two/Moved/" + name(0) +
                       ".mp3\n"),
              std::string::npos);
}
