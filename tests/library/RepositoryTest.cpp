#include <gtest/gtest.h>

#include <filesystem>

#include "LibraryFixture.h"
#include "library/FileKinds.h"
#include "library/LibraryItem.h"
#include "support/CapturedOutput.h"
#include "storage/StoreHandle.h"

using RepositoryTest = LibraryFixture;

TEST(FileKinds, ExtensionsDecideIgnoringCaseAndOnlyAfterTheLastDot) {
    for (const char* name : {"Song.MP3", "a.b.flac", "x.It", "b.M4A", "c.opus", "d.webm"}) {
        EXPECT_TRUE(isAudioFile(name));
    }
    for (const char* name : {"song.m4v", "mp3", "song.mp3.bak", "cover.webp"}) EXPECT_FALSE(isAudioFile(name));
    EXPECT_TRUE(isImageFile("Front.JPEG") && isPlaylistFile("/radio/list.PLS") && isTrackerModule("t.S3M"));
}

TEST(FileKinds, PicturesAreRecognisedByTheirFirstBytes) {
    EXPECT_TRUE(looksLikePicture("a.JPG", "\xFF\xD8\xFF\xE0"));
    EXPECT_TRUE(looksLikePicture("a.png", "\x89PNG\r\n\x1A\n...."));
    EXPECT_TRUE(looksLikePicture("a.gif", "GIF89a") && looksLikePicture("a.bmp", "BM.."));
    EXPECT_TRUE(looksLikePicture("a.tga", std::string_view("\0\0\x02\0\0\0\0\0\0\0\0\0\x10\0\x10\0\x20\0", 18)));
    EXPECT_FALSE(looksLikePicture("a.png", "\xFF\xD8\xFF\xE0"));
    EXPECT_FALSE(looksLikePicture("a.jpg", "<html>"));
    EXPECT_FALSE(looksLikePicture("a.tga", "<html><body>not a picture</body></html>"));
    EXPECT_FALSE(looksLikePicture("a.html", "GIF89a"));
}

TEST(LibraryItems, IdsCountFromOneAndRetiredOnesFindNothing) {
    Node content;
    RepositoryFolder album;
    album.load("/nowhere/Album/");
    LibraryItemIndex index;
    std::vector<LibraryItem*> items;
    for (int i = 0; i < 102; ++i) items.push_back(index.create(*content.appendChild("AUDIO", "01.mp3"), &album));
    EXPECT_EQ(items[2]->id, 3);
    EXPECT_EQ(index.find(102), items[101]);
    EXPECT_EQ(index.find(103), nullptr);
    EXPECT_EQ(index.find(-5), nullptr);
    EXPECT_EQ(items[0]->entryPath(), "/nowhere/Album/01.mp3");
    EXPECT_EQ(items[0]->location(false), "01.mp3");
    // Bucket by bucket: id 101 lies in bucket 0.
    EXPECT_EQ(index.findByPath("/nowhere/Album/01.mp3"), items[100]);

    index.retire(*items[0]);
    index.retire(*items[100]);
    EXPECT_EQ(index.find(1), nullptr);
    EXPECT_EQ(content.firstChild()->itemNumber(), 0u);
    EXPECT_EQ(index.findByPath("/nowhere/Album/01.mp3"), items[101]);
    EXPECT_EQ(index.create(*content.firstChild(), nullptr)->id, 103);
}

TEST(RepositoryFolders, EntriesSortByValueIgnoringCaseAndPicturesPreferFrontFolderCover) {
    RepositoryFolder folder;
    for (const char* value : {"b.mp3", "_x.mp3", "c", "A.mp3", "B.mp3"}) folder.content().appendChild("AUDIO", value);
    folder.sortEntries();
    EXPECT_EQ(entryLines(folder.content()), "AUDIO _x.mp3\nAUDIO A.mp3\nAUDIO b.mp3\nAUDIO B.mp3\nAUDIO c\n");

    const auto choose = [](std::initializer_list<const char*> names, int count) {
        RepositoryFolder pictures;
        pictures.content().appendChild("AUDIO", "song.mp3");
        for (const char* name : names) pictures.content().appendChild("IMAGE", name);
        const bool moved = pictures.chooseCover(count);
        return (moved ? "" : "kept ") + std::string(pictures.content().firstChild()->value());
    };
    EXPECT_EQ(choose({"scan1.jpg", "FRONT.JPG", "folder.jpg", "front2.jpg"}, 4), "FRONT.JPG");
    EXPECT_EQ(choose({"folder1.jpg", "cover.jpg", "folder2.jpg"}, 3), "folder2.jpg");
    EXPECT_EQ(choose({"a.jpg", "discover.jpg"}, 2), "discover.jpg");
    EXPECT_EQ(choose({"a.jpg", "b.jpg"}, 2), "kept song.mp3");
    EXPECT_EQ(choose({"cover.jpg"}, 1), "kept song.mp3");
    EXPECT_EQ(choose({"a.jpg", "b.jpg", "front.jpg"}, 2), "kept song.mp3");

    // The pick, once in front, stays the pick.
    RepositoryFolder chosen;
    for (const char* name : {"cover2.jpg", "cover1.jpg"}) chosen.content().appendChild("IMAGE", name);
    EXPECT_FALSE(chosen.chooseCover(2));
}

TEST_F(RepositoryTest, LoadingDropsSubfoldersWithNeitherTreeNorFolderAndSavesAtOnce) {
    const std::string album = folder / "Album";
    const auto storeTree = [](const std::string& path, std::string_view text) {
        Node tree;
        readNodeStream(tree, *storeMemoryHandle(text.data(), text.size()));
        ASSERT_TRUE(saveNodeFile(tree, path + "/playlist.vmr", false));
    };
    storeTree(album + "/Kept", "AUDIO k.mp3\n RATE 5\n");
    // On disk without a tree of its own: dropped now, found again by the next scan.
    std::filesystem::create_directories(album + "/Empty");
    storeTree(album, "LIST Gone\nLIST Kept\nAUDIO b.mp3\nLIST ..\nAUDIO a.mp3\nLIST Empty\n");

    RepositoryFolder loaded;
    EXPECT_EQ(capturedOutput([&] { EXPECT_TRUE(loaded.load(album + "/")); }),
              "Removing Gone from list\nRemoving .. from list\nRemoving Empty from list\n");
    EXPECT_EQ(loaded.path(), album);
    EXPECT_EQ(entryLines(loaded.content()), "AUDIO a.mp3\nAUDIO b.mp3\nLIST Kept\n");
    EXPECT_EQ(stored(album), "LIST Kept\nAUDIO b.mp3\nAUDIO a.mp3\n");
    ASSERT_EQ(loaded.children().size(), 1u);
    const RepositoryFolder& kept = *loaded.children().front();
    EXPECT_EQ(kept.path(), album + "/Kept");
    EXPECT_EQ(kept.listNode(), loaded.content().lastChild());
    EXPECT_STREQ(kept.content().firstChild()->childValue("RATE", ""), "5");

    RepositoryFolder missing;
    EXPECT_FALSE(missing.load(folder / "nothing"));
}

// The file system's root as a music folder: its path reads "", yet its songs are stored and
// found at "/name" like any other folder's.
TEST_F(RepositoryTest, TheRootFolderIsStoredAndItsSongsFoundLikeAnyOther) {
    RepositoryFolder root;
    root.load("/");
    EXPECT_EQ(root.path(), "");
    root.content().appendChild("AUDIO", "song.mp3")->appendChild("RATE", "5");
    EXPECT_TRUE(root.save());
    EXPECT_EQ(stored(""), "AUDIO song.mp3\n RATE 5\n");

    RepositoryFolder reloaded;
    reloaded.load("/");
    ASSERT_NE(reloaded.content().firstChild(), nullptr);
    const LibraryItem* item = repository.items().create(*reloaded.content().firstChild(), &reloaded);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->location(true), "/song.mp3");

    RepositoryFolder holder;  // never loaded: never stored, though its path reads "" too
    holder.content().appendChild("AUDIO", "x.mp3");
    EXPECT_TRUE(holder.save());
    EXPECT_EQ(stored(""), "AUDIO song.mp3\n RATE 5\n");
}

TEST_F(RepositoryTest, AFailedSaveKeepsTheTreeAndIsRetriedByTheNextScan) {
    put("a.mp3");
    auto blocking = store.storeFileOpen(music() + "/playlist.vmr", "w");  // in use: saving fails
    EXPECT_EQ(scan(), "Error saving " + music() + "/playlist.vmr\n");
    EXPECT_TRUE(root().unsaved());
    EXPECT_EQ(entryLines(root().content()), "AUDIO a.mp3\n");
    storeFileClose(std::move(blocking));

    EXPECT_EQ(scan(), "");
    EXPECT_FALSE(root().unsaved());
    EXPECT_EQ(stored(music()), formatNodeTree(root().content()));
}
