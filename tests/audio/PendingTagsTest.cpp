#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioEngine.h"
#include "audio/PendingTags.h"
#include "library/LibraryFixture.h"
#include "library/LibraryItem.h"
#include "library/LibraryItemPool.h"
#include "library/StatusBoard.h"
#include "platform/WakeSignal.h"
#include "storage/Node.h"
#include "support/MakeLibrary.h"

namespace {

std::string childrenText(const Node& entry) {
    std::string text;
    for (const Node& child : entry.children()) text += std::string(child.name()) + " " + child.value() + "\n";
    return text;
}

}  // namespace

// Tags read by the workers and stored under the caller's lock, in the line's order.
class PendingTags : public LibraryFixture {
protected:
    // Every song of the merged folders waits, in folder order.
    void listAll(RepositoryFolder& folder) {
        for (Node& entry : folder.content().children()) {
            if (entry.hasName("AUDIO")) repository.pendingTags.push_back(repository.items().create(entry, &folder));
        }
        for (const auto& child : folder.children()) listAll(*child);
    }
    void listAll() {
        for (const auto& folder : repository.folders()) listAll(*folder);
    }
    // Stores as the main loop does until nothing waits; after each batch the entries with
    // tags must be the last ones of the line as it was.
    void readAll(PendingTagReader& reader) {
        const std::vector<LibraryItem*> line = repository.pendingTags;
        int remaining = 0;
        testing::internal::CaptureStdout();  // the files that cannot be opened
        do {
            remaining = reader.storeAndPost(repository, 2);
            for (size_t i = 0; i < line.size(); ++i) {
                const bool tagged = line[i]->node()->findChild("TIME") != nullptr;
                ASSERT_EQ(tagged, i >= static_cast<size_t>(remaining)) << i << " of " << line.size();
            }
            if (!reader.hasReadValues()) {
                pollfd done{reader.done().handle(), POLLIN, 0};
                poll(&done, 1, 1000);
                reader.done().drain();
            }
        } while (remaining > 0);
        testing::internal::GetCapturedStdout();
    }

    StatusBoard board;
    std::unique_ptr<AudioEngine> engine = createAudioEngine(board);
};

// Every file of a generated library (MP3 and WAV in every tagging, and files that cannot
// be opened) gets the values the generator wrote, the same children in the same order as
// reading the entries one by one gives them.
TEST_F(PendingTags, WorkersStoreWhatTheGeneratorWroteAsReadingOneByOneDoes) {
    const std::string manifest = folder / "manifest.tsv";
    ASSERT_TRUE(makeLibrary("--files 150 --formats mp3,wav --wav-share 0.3 --broken 4 --seed 5 --out '" + music() +
                            "' --manifest '" + manifest + "'"));
    scan();
    listAll();
    ASSERT_EQ(repository.pendingTags.size(), 154u);

    std::map<std::string, std::string> oneByOne;  // by location
    testing::internal::CaptureStdout();
    for (const LibraryItem* item : repository.pendingTags) {
        Node root;
        Node* entry = root.appendChild("AUDIO", item->node()->value());
        entry->copyChildrenFrom(*item->node());
        engine->readTags(*entry, item->location(true).view(), item->location(false).view());
        oneByOne[std::string(item->location(true).view())] = childrenText(*entry);
    }
    testing::internal::GetCapturedStdout();

    const std::vector<LibraryItem*> line = repository.pendingTags;
    const int32_t revision = repository.revision.value();
    PendingTagReader reader(*engine, board, 4);
    readAll(reader);
    EXPECT_EQ(repository.revision.value(), revision + 1);

    std::map<std::string, const LibraryItem*> byPath;
    for (const LibraryItem* item : line) {
        byPath[std::string(item->location(true).view())] = item;
        EXPECT_EQ(childrenText(*item->node()), oneByOne[std::string(item->location(true).view())]);
    }
    const auto trimmed = [](std::string text) { return text.erase(text.find_last_not_of(' ') + 1); };
    for (const GeneratedSong& song : readManifest(manifest)) {
        if (song.path.starts_with('.')) continue;  // hidden folders are not scanned
        const LibraryItem* item = byPath[music() + "/" + song.path];
        ASSERT_NE(item, nullptr) << song.path;
        const Node& entry = *item->node();
        if (song.format == "broken") {
            EXPECT_STREQ(entry.childValue("TIME", nullptr), "") << song.path;
            continue;
        }
        const int seconds = std::stoi(song.ms) / 1000;
        EXPECT_EQ(entry.childValue("TIME", ""), (seconds < 10 ? "00:0" : "00:") + std::to_string(seconds));
        const std::pair<const char*, std::string> values[] = {
            {"TITLE", song.title}, {"ARTIST", song.artist}, {"ALBUM", song.album}, {"GENRE", song.genreName},
            {"TRACK", song.track}, {"YEAR", song.year}};
        for (const auto& [key, value] : values) {
            EXPECT_EQ(entry.childValue(key, ""), trimmed(value)) << song.path << " " << key;
        }
    }
}

// A line that changes while files are read (a rebuild lists the entries again in another
// order, an entry leaves) is taken up again from its new end; nothing is stored twice or
// into the wrong entry.
TEST_F(PendingTags, ALineThatChangesWhileReadingIsTakenUpFromItsNewEnd) {
    ASSERT_TRUE(makeLibrary("--files 60 --seed 9 --out '" + music() + "'"));
    scan();
    listAll();
    PendingTagReader reader(*engine, board, 2);
    testing::internal::CaptureStdout();
    reader.storeAndPost(repository, 2);
    testing::internal::GetCapturedStdout();

    auto& pending = repository.pendingTags;
    std::reverse(pending.begin(), pending.end());
    LibraryItem* leaving = pending.back();
    const std::string leavingPath(leaving->location(true).view());
    Node* leavingNode = leaving->node();
    repository.retireEntry(*leavingNode);
    readAll(reader);
    EXPECT_TRUE(pending.empty());

    // Each entry holds its own file's values.
    std::map<std::string, std::string> seen;
    for (const auto& folder : repository.folders()) {
        std::vector<const RepositoryFolder*> folders{folder.get()};
        while (!folders.empty()) {
            const RepositoryFolder* current = folders.back();
            folders.pop_back();
            for (const auto& child : current->children()) folders.push_back(child.get());
            for (const Node& entry : current->content().children()) {
                const LibraryItem* item = itemOf(entry);
                if (!item) continue;
                Node root;
                Node* alone = root.appendChild("AUDIO", entry.value());
                alone->copyChildrenFrom(entry);
                engine->readTags(*alone, item->location(true).view(), "");
                EXPECT_EQ(childrenText(entry), childrenText(*alone)) << entry.value();
                seen[std::string(item->location(true).view())] = entry.value();
            }
        }
    }
    EXPECT_EQ(seen.size(), 59u);
    EXPECT_FALSE(seen.contains(leavingPath));
}
