#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "ViewFixture.h"

using LibraryViewTest = ViewFixture;

TEST_F(LibraryViewTest, FolderAndFlatOrderTimesAndPendingTagsOfListedEntriesOnly) {
    openLibrary({{folder / "Rock", "AUDIO b.mp3\n TIME 02:30\nAUDIO A.mp3\n TIME 01:00\nLIST Live\nIMAGE f.jpg\n"
                                   "RADIO Station\n TIME 05:00\nRADIO Untimed\nAUDIO _x.mp3\n"},
                 {folder / "Rock/Live", "AUDIO live.mp3\n TIME \n"},
                 {folder / "Jazz", "AUDIO jazz.mp3\n TIME 00:30\n"}},
                {folder / "Rock", folder / "Jazz"});
    // Depth first, a folder's own entries before its subfolder's.
    EXPECT_EQ(listed(), "_x.mp3 A.mp3 b.mp3 Station Untimed live.mp3 jazz.mp3");
    EXPECT_EQ(view.folders()[1]->path(), folder / "Rock/Live");
    EXPECT_EQ(view.totalSeconds(), 60 + 150 + 30);  // a station's TIME does not count
    EXPECT_EQ(repository.pendingTags.size(), 2u);   // Untimed and _x.mp3

    view.setFlat(true);
    EXPECT_EQ(listed(), "A.mp3 Station Untimed _x.mp3 b.mp3 jazz.mp3 live.mp3");  // byte order
    EXPECT_EQ(repository.getSetting("FLAT"), "1");

    // Unmatched entries never wait for tags; every visited folder stays a folder.
    filters.setSearch("live.mp3");
    const std::string log = capturedOutput([&] { view.rebuildView(false); });
    EXPECT_TRUE(std::regex_match(log, std::regex("Processtime: \\d+ ms\\.\n")));
    EXPECT_EQ(listed(), "live.mp3");
    EXPECT_TRUE(repository.pendingTags.empty());
    EXPECT_EQ(view.folders().size(), 3u);
    view.queueAllForTags();
    EXPECT_EQ(repository.pendingTags.size(), 1u);
}

TEST_F(LibraryViewTest, ShuffleMixesWithinFoldersOrEverythingTheSameWayEveryBuild) {
    openLibrary({{folder / "One", songs("one", 20)}, {folder / "Two", songs("two", 20)}},
                {folder / "One", folder / "Two"});
    const std::string sorted = listed();
    view.setShuffle(true);
    const std::string mixed = listed();
    EXPECT_NE(mixed, sorted);
    // Folders keep their place: One's songs all come first.
    EXPECT_LT(mixed.rfind("one"), mixed.find("two"));
    std::rand();
    rebuild();
    EXPECT_EQ(listed(), mixed);

    view.setFlat(true);
    const std::string all = listed();
    EXPECT_LT(all.find("two"), all.rfind("one"));
    EXPECT_LT(all.find("one"), all.rfind("two"));
    std::rand();
    rebuild();
    EXPECT_EQ(listed(), all);
}

TEST_F(LibraryViewTest, FolderPagesKeepFoldersWholeAndFlatPagesCountPositions) {
    openLibrary({{folder / "A", songs("a", 150)},
                 {folder / "B", songs("b", 100)},
                 {folder / "C", songs("c", 30)},
                 {folder / "D", songs("d", 121)}},
                {folder / "A", folder / "B", folder / "C", folder / "D"});
    // 150 + 100 fill page 0 past 200; C and D share page 1.
    EXPECT_EQ(view.pageSize(), 200);
    EXPECT_EQ(view.pageOf(200, 249, false), 0);
    EXPECT_EQ(view.pageOf(200, 250, false), 1);
    EXPECT_EQ(view.pageOf(200, at(400).id, true), 1);
    EXPECT_EQ(view.pageOf(200, 401, false), 0);
    EXPECT_EQ(view.pageOf(150, 249, false), 0);  // exactly full pages take the next folder too
    EXPECT_EQ(view.pageCount(200), 2);
    ASSERT_TRUE(position.setPlayPosition(at(260).id));
    EXPECT_TRUE(position.setPageToCurrentSong());
    EXPECT_EQ(view.page(), 1);
    EXPECT_EQ(position.folderAt(play::kCurrentSong), view.folderAt(2, nullptr));
    const int32_t revision = repository.revision.value();
    view.setPage(1);
    EXPECT_EQ(repository.revision.value(), revision);

    view.setFlat(true);
    EXPECT_EQ(view.pageCount(200), 3);
    EXPECT_EQ(view.pageOf(200, 400, false), 2);
    EXPECT_EQ(view.pageOf(200, at(399).id, true), 1);
    // A page size of 0 from a hand-edited file reads as the smallest one stored.
    repository.userNode().setChild("PAGE_MAX_MATCHES", "0");
    EXPECT_EQ(view.pageCount(view.pageSize()), 41);

    filters.setSearch("zzqqxx");
    rebuild();
    EXPECT_EQ(view.pageCount(200), 1);
    EXPECT_EQ(view.pageOf(200, 5, false), 0);
}
