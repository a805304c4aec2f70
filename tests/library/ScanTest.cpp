#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "LibraryFixture.h"
#include "library/LibraryItem.h"
#include "support/MakeLibrary.h"

namespace fs = std::filesystem;

namespace {

// Refuses to list directories whose path ends with `refused`, as if unreadable.
class RefusingScanner : public Scanner {
public:
    explicit RefusingScanner(std::string refused) : refused_(std::move(refused)) {}
    bool shouldEnter(std::string_view path) override { return !path.ends_with(refused_); }

private:
    std::string refused_;
};

const RepositoryFolder* findFolder(const RepositoryFolder& folder, std::string_view path) {
    if (folder.path() == path) return &folder;
    for (const auto& child : folder.children()) {
        if (const RepositoryFolder* found = findFolder(*child, path)) return found;
    }
    return nullptr;
}

}  // namespace

using ScanTest = LibraryFixture;

TEST_F(ScanTest, NewAndVanishedFilesAndFoldersAreMergedWithTheirLogLines) {
    for (const char* name : {"b.mp3", "a.MP3", "back.jpg", "Folder.jpg", "notes.txt", "cover.webp",
                             ".hidden/x.mp3", ".dot.mp3", "Sub/one.mp3", "Sub/cover1.jpg", "Sub/cover2.jpg"}) {
        put(name);
    }
    EXPECT_EQ(scan(), "New directory found \"" + music() + "/Sub\"\n");
    EXPECT_EQ(root().path(), music());
    EXPECT_EQ(entryLines(root().content()), "IMAGE Folder.jpg\nAUDIO a.MP3\nAUDIO b.mp3\nIMAGE back.jpg\nLIST Sub\n");
    const long long added = std::stoll(root().content().findChild("AUDIO")->childValue("ADDED", "0"));
    EXPECT_NEAR(added, static_cast<long long>(std::time(nullptr)), 5);
    EXPECT_EQ(stored(music()), formatNodeTree(root().content()));
    EXPECT_EQ(entryLines(root().children().front()->content()), "IMAGE cover2.jpg\nIMAGE cover1.jpg\nAUDIO one.mp3\n");
    flushLog();

    // Nothing changed: nothing is logged, and no picture swaps places.
    EXPECT_EQ(scan(), "");
    EXPECT_EQ(flushLog(), "");

    // Names compare exactly: a change of letter case is a new name.
    fs::rename(music() + "/b.mp3", music() + "/B.mp3");
    fs::rename(music() + "/Sub", music() + "/sub");
    EXPECT_EQ(scan(), "New directory found \"" + music() + "/sub\"\nRemoving b.mp3 from repository.\n"
                      "Removing path Sub from repository.\n");
    EXPECT_EQ(entryLines(root().content()), "IMAGE Folder.jpg\nAUDIO a.MP3\nAUDIO B.mp3\nIMAGE back.jpg\nLIST sub\n");
    ASSERT_EQ(root().children().size(), 1u);
    EXPECT_EQ(root().children().front()->path(), music() + "/sub");

    // The vanished folder is kept in memory, unlisted, with its entries.
    RepositoryFolder& holder = repository.detachedFolders();
    ASSERT_EQ(holder.children().size(), 1u);
    EXPECT_EQ(holder.children().front()->parent(), &holder);
    EXPECT_EQ(holder.children().front()->listNode(), holder.content().firstChild());
    EXPECT_STREQ(holder.children().front()->content().firstChild()->value(), "cover2.jpg");
}

TEST_F(ScanTest, EntriesRemovedFromDiskRetireTheirItems) {
    for (const char* name : {"keep.mp3", "gone.mp3", "Album/song.mp3"}) put(name);
    scan();
    LibraryItemIndex& items = repository.items();
    Node* gone = root().content().findChildWithValue("AUDIO", "gone.mp3", false);
    LibraryItem* kept = items.create(*root().content().findChildWithValue("AUDIO", "keep.mp3", false), &root());
    const int32_t goneId = items.create(*gone, &root())->id;
    RepositoryFolder* album = root().children().front().get();
    const int32_t albumId = items.create(*album->content().firstChild(), album)->id;
    repository.pendingTags = {items.find(goneId), kept};
    std::vector<int32_t> told;
    repository.setRetireHook([&told](LibraryItem& item) { told.push_back(item.id); });

    fs::remove(music() + "/gone.mp3");
    fs::remove_all(music() + "/Album");
    EXPECT_EQ(scan(), "Removing gone.mp3 from repository.\nRemoving path Album from repository.\n");
    EXPECT_EQ(items.find(goneId), nullptr);
    EXPECT_EQ(told, std::vector<int32_t>{goneId});
    EXPECT_EQ(repository.pendingTags, std::vector<LibraryItem*>{kept});
    EXPECT_EQ(items.find(kept->id), kept);
    // A detached folder keeps its nodes, so its items still name them.
    EXPECT_EQ(items.find(albumId)->entryPath(), music() + "/Album/song.mp3");

    put("gone.mp3");
    scan();
    EXPECT_EQ(root().content().findChildWithValue("AUDIO", "gone.mp3", false)->itemNumber(), 0u);
}

TEST_F(ScanTest, FoldersThatCannotBeListedKeepTheirEntries) {
    for (const char* name : {"a.mp3", "Locked/b.mp3", "Locked/Inner/c.mp3"}) put(name);
    scan();
    const std::string before = formatNodeTree(root().content());
    const std::string lockedBefore = stored(music() + "/Locked");
    flushLog();

    RefusingScanner refusing("/Locked");
    testing::internal::CaptureStdout();
    refusing.scanRoot(music());
    repository.syncRoot(*refusing.tree().firstChild(), {});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(root().children().front()->children().size(), 1u);

    // A root that is gone gives no scan node at all.
    fs::rename(music(), folder / "elsewhere");
    EXPECT_EQ(scan(), "");
    EXPECT_EQ(formatNodeTree(root().content()), before);
    EXPECT_EQ(flushLog(), "");
    EXPECT_EQ(stored(music() + "/Locked"), lockedBefore);
}

TEST_F(ScanTest, LinksAreFollowedButNeverRoundALoopAndPipesAreNoEntries) {
    put("Album/a.mp3");
    TempFolder::write(folder / "outside/b.mp3", "x");
    fs::create_directory_symlink(music(), music() + "/Album/top");
    fs::create_directory_symlink(music() + "/Album", music() + "/Album/itself");
    fs::create_directory_symlink(folder / "outside", music() + "/Linked");
    ASSERT_EQ(::mkfifo((music() + "/Album/pipe.mp3").c_str(), 0600), 0);
    fs::create_symlink(music() + "/Album/pipe.mp3", music() + "/Album/to-pipe.mp3");
    fs::create_symlink(music() + "/Album/a.mp3", music() + "/Album/to-a.mp3");
    fs::create_symlink(music() + "/nowhere.mp3", music() + "/dangling.mp3");

    const std::string log = scan();
    for (const char* loop : {"/Album/top", "/Album/itself"}) {
        EXPECT_NE(log.find("Skipping \"" + music() + loop + "\": it leads back into a folder being scanned\n"),
                  std::string::npos);
    }
    // Only plain files become entries: reading a pipe's tags would block for good.
    EXPECT_EQ(entryLines(findFolder(root(), music() + "/Album")->content()), "AUDIO a.mp3\nAUDIO to-a.mp3\n");
    EXPECT_EQ(entryLines(root().content()), "LIST Album\nLIST Linked\n");
    EXPECT_EQ(entryLines(findFolder(root(), music() + "/Linked")->content()), "AUDIO b.mp3\n");
}

TEST_F(ScanTest, OverlongPathsAreSkippedWholeWithTheirFolderNamed) {
    std::string deep = music();
    while (deep.size() + 202 < 4020) deep += "/" + std::string(200, 'd');
    deep += "/" + std::string(4019 - deep.size(), 'e');
    TempFolder::write(deep + "/short.mp3", "x");
    // 4019 + 1 + 104 bytes: beyond the walk's 4095, so made relative to the folder.
    const int directory = ::open(deep.c_str(), O_DIRECTORY | O_RDONLY);
    ::close(::openat(directory, (std::string(100, 'n') + ".mp3").c_str(), O_CREAT | O_WRONLY, 0644));
    ::close(directory);
    const std::string longestName = std::string(Scanner::kMaxName - 4, 'x') + ".mp3";
    put(longestName);

    EXPECT_NE(scan().find("Skipping an entry of \"" + deep + "\": its name or path is too long\n"), std::string::npos);
    EXPECT_EQ(entryLines(findFolder(root(), deep)->content()), "AUDIO short.mp3\n");
    EXPECT_NE(childWith(root().content(), "AUDIO", longestName), nullptr);
}

TEST_F(ScanTest, AGeneratedLibraryIsMirroredFileForFile) {
    const std::string generated = folder / "generated";
    const std::string manifest = folder / "manifest.tsv";
    ASSERT_TRUE(makeLibrary("--files 300 --images --playlists --formats mp3,wav --broken 3 --out '" + generated +
                            "' --manifest '" + manifest + "'"));
    scan(generated);

    std::ifstream lines(manifest);
    std::string line;
    std::getline(lines, line);
    size_t visible = 0;
    while (std::getline(lines, line)) {
        const fs::path relative = line.substr(0, line.find('\t'));
        if (relative.string().starts_with('.') || relative.string().find("/.") != std::string::npos) continue;
        ++visible;
        const fs::path path = generated / relative;
        const RepositoryFolder* holder = findFolder(root(), path.parent_path().string());
        ASSERT_NE(holder, nullptr) << relative;
        EXPECT_NE(childWith(holder->content(), "AUDIO", path.filename().string()), nullptr) << relative;
        EXPECT_EQ(stored(std::string(holder->path())), formatNodeTree(holder->content()));
    }
    EXPECT_EQ(visible, 303u);
}

// An empty folder once went unstored: every start dropped it from its parent's list
// ("Removing Unsorted from list") and every scan added it back.
TEST_F(ScanTest, AnEmptyFolderIsStoredAndLoadsAgain) {
    put("Album/a.mp3");
    fs::create_directories(music() + "/Album/Unsorted");
    scan();
    flushLog();
    EXPECT_EQ(stored(music() + "/Album/Unsorted"), "");

    RepositoryFolder reloaded;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(reloaded.load(music()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_EQ(reloaded.children().size(), 1u);
    ASSERT_EQ(reloaded.children().front()->children().size(), 1u);
    EXPECT_EQ(reloaded.children().front()->children().front()->path(), music() + "/Album/Unsorted");
    EXPECT_EQ(scan(), "");
}
