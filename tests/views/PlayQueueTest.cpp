#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ViewFixture.h"

namespace {

// Five songs s0 ... s4 in one folder.
class PlayQueueTest : public ViewFixture {
protected:
    void SetUp() override {
        openLibrary({{album(), "AUDIO s0.mp3\nAUDIO s1.mp3\nAUDIO s2.mp3\nAUDIO s3.mp3\nAUDIO s4.mp3\n"}}, {album()});
    }
    std::string album() const { return folder / "Album"; }
    int32_t id(size_t song) { return at(song).id; }
    int32_t remaining() const { return queue.remaining(position.playPosition()); }
    void queueSongs(std::initializer_list<size_t> list) {
        for (const size_t song : list) queue.add(id(song));
    }
    // The song each step reaches, and then what remains queued.
    std::string walk(int steps, bool forward = true) {
        std::string seen;
        for (int i = 0; i < steps; ++i) seen += (position.step(forward) ? current() : "stay") + " ";
        return seen + std::to_string(remaining());
    }
};

}  // namespace

TEST_F(PlayQueueTest, QueuedSongsComeFirstThenTheViewGoesOnFromTheLastOnesPlace) {
    position.setPlayPosition(id(0));
    queueSongs({3, 1});
    EXPECT_FALSE(queue.add(999));
    EXPECT_EQ(remaining(), 2);
    EXPECT_EQ(walk(1), "s3.mp3 1");
    EXPECT_EQ(walk(1), "s1.mp3 0");
    EXPECT_EQ(walk(2), "s2.mp3 s3.mp3 0");
    // Backward from queue entry 0: the song before the last queued song's place.
    position.setPlayPosition(play::kQueueBase);
    EXPECT_EQ(walk(2, false), "s0.mp3 stay 1");
}

TEST_F(PlayQueueTest, SongsRatedOneAreSkippedAndTheEndWrapsOnlyWithRepeat) {
    view.rateEntry(at(2), "1");
    view.rateEntry(at(3), "-1");
    view.rateEntry(at(0), "abc");  // reads as 0: unrated
    position.setPlayPosition(id(1));
    EXPECT_EQ(walk(2), "s4.mp3 stay 0");
    repository.setSetting("PLAYLIST_REPEAT", "1");
    EXPECT_EQ(walk(1), "s0.mp3 0");
    position.setPlayPosition(id(4));
    EXPECT_EQ(walk(1, false), "s1.mp3 0");
    // Ratings stored before the build count too; with nothing playable the position stays.
    for (size_t song = 0; song < 5; ++song) at(song).node()->setChild("RATE", "1");
    rebuild();
    EXPECT_EQ(walk(1), "stay 0");
}

TEST_F(PlayQueueTest, RemovingOrClearingKeepsTheSongPlayingAndPassesNoEntryOver) {
    queueSongs({0, 1, 2, 3});
    position.setPlayPosition(play::kQueueBase + 2);
    position.queueRemove(0);  // before the playing entry
    EXPECT_EQ(position.playPosition(), play::kQueueBase + 1);
    EXPECT_EQ(current(), "s2.mp3");
    EXPECT_EQ(repository.getSetting("PLAYING"), "1000000001");

    // The playing entry itself plays on as a library song; the one after it is next.
    position.queueRemove(1);
    EXPECT_EQ(position.playPosition(), id(2));
    EXPECT_EQ(repository.getSetting("QUEUE_ACTIVE_ITEM"), "1");
    EXPECT_EQ(walk(1), "s3.mp3 0");
    // The last entry, playing or only next: the queue is used up, nothing plays again.
    position.queueRemove(1);
    queueSongs({4});
    position.queueRemove(1);
    EXPECT_EQ(walk(1), "s4.mp3 0");

    // Clearing: the first song queued afterwards is not passed over.
    queueSongs({0});
    EXPECT_EQ(walk(1), "s0.mp3 0");
    position.queueClear();
    EXPECT_EQ(position.playPosition(), id(0));
    queueSongs({1});
    EXPECT_EQ(walk(1), "s1.mp3 0");
}

TEST_F(PlayQueueTest, ShuffleRestNeverMovesThePlayedOrPlayingEntries) {
    for (int round = 0; round < 8; ++round) queueSongs({0, 1, 2, 3, 4});
    position.setPlayPosition(play::kQueueBase + 5);
    const std::vector<LibraryItem*> before(queue.entries().begin(), queue.entries().end());
    queue.shuffleRest();
    const std::vector<LibraryItem*> after(queue.entries().begin(), queue.entries().end());
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 6, after.begin()));
    EXPECT_NE(before, after);
    EXPECT_TRUE(std::is_permutation(before.begin(), before.end(), after.begin()));
}

TEST_F(PlayQueueTest, AFileNoLongerThereIsQueuedOnItsOwnAndPlaysHarmlessly) {
    const std::string gone = folder / "gone/nowhere.mp3";
    TempFolder::write(folder / "queue.vmr", "AUDIO " + album() + "/s3.mp3\nAUDIO " + gone + "\n TITLE x\nOTHER " +
                                                album() + "/s1.mp3\n");
    ASSERT_TRUE(queue.load(folder / "queue.vmr"));
    ASSERT_EQ(queue.entryCount(), 3);
    EXPECT_EQ(queue.entries()[0], &at(3));
    LibraryItem& outside = *queue.entries()[1];
    EXPECT_EQ(repository.pendingTags.back(), &outside);

    // Played, counted as played (its folder saved) and passed like any other song.
    EXPECT_EQ(walk(2), "s3.mp3 " + gone + " 1");
    EXPECT_EQ(outside.location(true), gone);
    outside.node()->setChild("PLAYCOUNT", "1");
    EXPECT_TRUE(outside.folder->save());
    EXPECT_EQ(position.folderAt(play::kCurrentSong), nullptr);
    EXPECT_EQ(walk(1), "s1.mp3 0");

    ASSERT_TRUE(queue.save());
    EXPECT_EQ(TempFolder::read(folder / "queue.vmr"),
              "AUDIO " + album() + "/s3.mp3\nAUDIO " + gone + "\nAUDIO " + album() + "/s1.mp3\n");
    EXPECT_FALSE(queue.load(folder / "queue.txt"));
    EXPECT_EQ(queue.entryCount(), 0);
}

TEST_F(PlayQueueTest, PositionAndActiveEntrySurviveARestart) {
    queue.load(folder / "queue.vmr");
    queueSongs({1, 2});
    queue.save();
    walk(2);
    const auto restart = [this] {
        testing::internal::CaptureStdout();
        Repository again;
        again.open(folder / "repository.vmr", folder / "radio2.vmr");
        LibraryView view2(again, filters);
        view2.rebuildView(true);
        PlayQueue queue2(again);
        queue2.load(folder / "queue.vmr");
        PlayPosition position2(again, view2, queue2);
        position2.restore();
        testing::internal::GetCapturedStdout();
        return std::string(position2.currentItem()->node()->value()) + " " +
               std::to_string(queue2.remaining(position2.playPosition()));
    };
    EXPECT_EQ(restart(), "s2.mp3 0");
    walk(1);
    EXPECT_EQ(repository.getSetting("PLAYING"), "3");  // a library song by its place in the view
    EXPECT_EQ(restart(), "s3.mp3 0");
    repository.setSetting("QUEUE_ACTIVE_ITEM", "-4");  // brought within the queue
    EXPECT_EQ(restart(), "s3.mp3 2");
}

TEST_F(PlayQueueTest, EntriesRemovedByAScanLeaveViewQueueAndPositionAtOnce) {
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) put(std::string("Scanned/") + name);
    scan();
    rebuild();
    ASSERT_EQ(listed(), "s0.mp3 s1.mp3 s2.mp3 s3.mp3 s4.mp3 a.mp3 b.mp3 c.mp3");
    const int32_t b = id(6);
    queue.load(folder / "queue.vmr");
    queueSongs({5, 6, 7, 6});
    position.setPlayPosition(play::kQueueBase + 1);

    std::filesystem::remove(music() + "/Scanned/b.mp3");
    scan();
    // The freed item's slot is taken at once by a file queued from outside.
    queue.addPath(folder / "elsewhere.mp3");
    EXPECT_EQ(listed(), "s0.mp3 s1.mp3 s2.mp3 s3.mp3 s4.mp3 a.mp3 c.mp3");
    EXPECT_EQ(view.folderRuns()[2], 2);
    EXPECT_EQ(queue.entryCount(), 3);
    EXPECT_EQ(position.playPosition(), b);
    EXPECT_EQ(position.currentItem(), nullptr);
    EXPECT_EQ(walk(1), "c.mp3 1");
    EXPECT_EQ(TempFolder::read(folder / "queue.vmr"),
              "AUDIO " + music() + "/Scanned/a.mp3\nAUDIO " + music() + "/Scanned/c.mp3\n");
}
