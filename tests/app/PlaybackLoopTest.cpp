#include <gtest/gtest.h>

#include <filesystem>

#include "support/MakeLibrary.h"
#include "support/PlayerInstance.h"
#include "support/SongFiles.h"

using namespace std::chrono_literals;

namespace {

class PlaybackLoopTest : public testing::Test {
protected:
    // The stored folder list, exported beside the songs.
    std::string exportedList(const std::string& folder) {
        player_.body("/flush");
        return TempFolder::read(folder + "/playlist.vmr");
    }

    PlayerInstance player_;
};

}  // namespace

TEST_F(PlaybackLoopTest, ScannedSongsGetTheirTagsInTheBackground) {
    const std::string music = player_.root() + "music";
    const std::string manifest = player_.root() + "manifest.tsv";
    ASSERT_TRUE(makeLibrary("--out " + music + " --files 12 --manifest " + manifest));
    auto running = player_.startRunning();
    ASSERT_TRUE(running);
    player_.body("/setuserpref&name=REPOSITORY_PATHS&value=" + music);
    player_.body("/scan");

    // Every visible song gets a TIME; titles come from the files' tags.
    const auto tagged = [&] {
        size_t timed = 0;
        player_.body("/flush");
        for (const auto& entry : std::filesystem::recursive_directory_iterator(music)) {
            if (entry.path().filename() != "playlist.vmr") continue;
            const std::string list = TempFolder::read(entry.path().string());
            for (size_t at = list.find("\n TIME "); at != std::string::npos; at = list.find("\n TIME ", at + 1)) ++timed;
        }
        return timed == 12;
    };
    EXPECT_TRUE(waitUntil(tagged, 20s, 100ms)) << running->output();
    const GeneratedSong second = readManifest(manifest).at(1);
    const std::string folder = std::filesystem::path(music + "/" + second.path).parent_path();
    EXPECT_NE(exportedList(folder).find("\n TITLE " + second.title + "\n"), std::string::npos);
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}

TEST_F(PlaybackLoopTest, ASongThatEndsIsCountedAndTheNextOneStarts) {
    const std::string music = player_.root() + "music";
    TempFolder::write(music + "/a.wav", silentWav(300));
    TempFolder::write(music + "/b.wav", silentWav(300));
    auto running = player_.startRunning();
    ASSERT_TRUE(running);
    ASSERT_EQ(player_.scanSongs(music, 2).size(), 2u);
    // Start the first listed song at the next start; with repeat on, the other one follows.
    player_.body("/setuserpref&name=PLAYING&value=1&name=PLAYLIST_REPEAT&value=1");
    ASSERT_EQ(PlayerInstance::stop(*running), 0);

    running = player_.startRunning();
    ASSERT_TRUE(running);
    const auto bothCounted = [&] {
        const std::string list = exportedList(music);
        size_t counted = 0;
        for (size_t at = list.find("PLAYCOUNT 1\n"); at != std::string::npos; at = list.find("PLAYCOUNT 1\n", at + 1)) ++counted;
        return counted == 2 && list.find("PLAYTIME ") != std::string::npos;
    };
    EXPECT_TRUE(waitUntil(bothCounted, 20s, 100ms)) << exportedList(music) << running->output();
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
