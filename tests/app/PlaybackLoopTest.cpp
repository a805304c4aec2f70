#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "support/MakeLibrary.h"
#include "support/PlayerInstance.h"

using namespace std::chrono_literals;

namespace {

std::string body(const PlayerInstance& player, const std::string& path) {
    return PlayerInstance::bodyOf(player.get(path));
}

// A short 16-bit stereo WAV of silence.
std::string silentWav(int milliseconds) {
    const uint32_t frames = 44100u * static_cast<uint32_t>(milliseconds) / 1000u;
    const uint32_t dataBytes = frames * 4;
    auto u32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto u16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    return "RIFF" + u32(36 + dataBytes) + "WAVEfmt " + u32(16) + u16(1) + u16(2) + u32(44100) + u32(44100 * 4) +
           u16(4) + u16(16) + "data" + u32(dataBytes) + std::string(dataBytes, '\0');
}

bool waitFor(const std::function<bool()>& condition) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (condition()) return true;
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

class PlaybackLoopTest : public testing::Test {
protected:
    std::unique_ptr<ChildProcess> startAndWait() {
        auto running = player_.start({});
        EXPECT_TRUE(player_.waitUntilRunning());
        EXPECT_TRUE(running->waitForOutput("Server started.", 10s));
        return running;
    }
    void stop(std::unique_ptr<ChildProcess>& running) {
        running->signal(SIGTERM);
        EXPECT_EQ(running->waitForExit(10s), 0);
    }
    // The stored folder list, exported beside the songs.
    std::string exportedList(const std::string& folder) {
        body(player_, "/flush");
        return TempFolder::read(folder + "/playlist.vmr");
    }

    PlayerInstance player_;
};

}  // namespace

TEST_F(PlaybackLoopTest, ScannedSongsGetTheirTagsInTheBackground) {
    const std::string music = player_.root() + "music";
    ASSERT_TRUE(makeLibrary("--out " + music + " --files 12"));
    auto running = startAndWait();
    body(player_, "/setuserpref&name=REPOSITORY_PATHS&value=" + music);
    body(player_, "/scan");

    // Every visible song gets a TIME; titles come from the files' tags.
    const auto tagged = [&] {
        size_t timed = 0;
        body(player_, "/flush");
        for (const auto& entry : std::filesystem::recursive_directory_iterator(music)) {
            if (entry.path().filename() != "playlist.vmr") continue;
            const std::string list = TempFolder::read(entry.path().string());
            for (size_t at = list.find("\n TIME "); at != std::string::npos; at = list.find("\n TIME ", at + 1)) ++timed;
        }
        return timed == 12;
    };
    EXPECT_TRUE(waitFor(tagged)) << running->output();
    EXPECT_NE(exportedList(music + "/Artist 001/Album 001 (2018)").find("\n TITLE Title 2\n"), std::string::npos);
    stop(running);
}

TEST_F(PlaybackLoopTest, ASongThatEndsIsCountedAndTheNextOneStarts) {
    const std::string music = player_.root() + "music";
    TempFolder::write(music + "/a.wav", silentWav(300));
    TempFolder::write(music + "/b.wav", silentWav(300));
    auto running = startAndWait();
    body(player_, "/setuserpref&name=REPOSITORY_PATHS&value=" + music);
    body(player_, "/scan");
    ASSERT_TRUE(waitFor([&] { return exportedList(music).find("AUDIO b.wav") != std::string::npos; }));
    // Start the first listed song at the next start; with repeat on, the other one follows.
    body(player_, "/setuserpref&name=PLAYING&value=1&name=PLAYLIST_REPEAT&value=1");
    stop(running);

    running = startAndWait();
    const auto bothCounted = [&] {
        const std::string list = exportedList(music);
        size_t counted = 0;
        for (size_t at = list.find("PLAYCOUNT 1\n"); at != std::string::npos; at = list.find("PLAYCOUNT 1\n", at + 1)) ++counted;
        return counted == 2 && list.find("PLAYTIME ") != std::string::npos;
    };
    EXPECT_TRUE(waitFor(bothCounted)) << exportedList(music) << running->output();
    stop(running);
}
