#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "audio/AudioEngine.h"
#include "audio/SongPlayer.h"
#include "library/StatusBoard.h"
#include "support/IcyStream.h"
#include "support/Polling.h"
#include "support/SongFiles.h"
#include "support/TempFolder.h"
#include "support/TestHttpServer.h"
#include "text/Str.h"

using namespace std::chrono_literals;

namespace {

// A radio station that sends the MP3 with titles (when there is one; else nothing at all),
// then holds the connection until the player leaves.
TestHttpServer::Script station(const std::string& mp3) {
    const std::string answer = mp3.empty() ? mp3 : icyAnswer(mp3, "Test Radio", "Artist - Song");
    return [answer](TCPSocket& connection, const std::string&) {
        if (!answer.empty()) connection.send(answer);
        awaitClientClose(connection, 10s);
    };
}

struct NullEngine {
    NullEngine() {
        setenv("VELMORANT_AUDIO", "null", 1);
        started = engine->init().ok;
        player = engine->createSongPlayer();
    }
    ~NullEngine() {
        player.reset();
        engine->close();
    }
    // Pumps the engine like the main loop until `done` holds or the time is up.
    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        const auto pumped = [&] {
            engine->update();
            return done();
        };
        return waitUntil(pumped, limit, 5ms);
    }

    StatusBoard board;
    std::unique_ptr<AudioEngine> engine = createAudioEngine(board);
    bool started = false;
    std::unique_ptr<SongPlayer> player;
};

}  // namespace

TEST(Stream, IcyStreamPlaysEndlesslyWithItsTitleAndStationName) {
    TempFolder folder;
    ASSERT_TRUE(encodeTone(folder / "s.mp3", 8, "-b:a 128k"));
    TestHttpServer server(station(TempFolder::read(folder / "s.mp3")));
    NullEngine rig;
    ASSERT_TRUE(rig.started);
    ASSERT_TRUE(rig.player->open(server.url("/radio"), true));
    EXPECT_TRUE(rig.player->isEndless());
    EXPECT_EQ(rig.player->lengthMs(), 0xFFFFFFFFu);
    unsigned buffered = 0;
    EXPECT_TRUE(rig.pumpUntil(
        [&] {
            buffered = std::max(buffered, rig.player->bufferedPercent());
            return rig.player->positionMs() > 300;
        },
        5s));
    EXPECT_GT(buffered, 0u);
    EXPECT_LE(buffered, 100u);
    EXPECT_NE(server.requests().at(0).find("Icy-MetaData: 1"), std::string::npos);
    Str title, artist, album;
    rig.player->readStreamTitle(title, artist, album);
    EXPECT_EQ(title, "Artist - Song");
    EXPECT_EQ(artist, "");
    EXPECT_EQ(album, "Test Radio");
    EXPECT_NEAR(rig.player->frequency(), 44100.0f, 0.5f);
    rig.player->setPositionPermille(500);  // a stream cannot seek; nothing breaks
    EXPECT_EQ(rig.player->playbackSignal(), PlaybackSignal::kNone);
}

TEST(Stream, StalledOrDeadStationsNeverBlockTheCaller) {
    TestHttpServer silent(station(""));
    NullEngine rig;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(rig.player->open(silent.url("/radio"), true));
    EXPECT_TRUE(rig.pumpUntil([] { return false; }, 300ms) == false);
    EXPECT_EQ(rig.player->positionMs(), 0u);
    EXPECT_EQ(rig.player->bufferedPercent(), 0u);
    rig.player->stop();
    rig.player->release();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);

    // Nothing listens on the port of a server that is gone: the song fails to open.
    std::string closedUrl;
    {
        const TestHttpServer gone(station(""));
        closedUrl = gone.url("/radio");
    }
    ASSERT_TRUE(rig.player->open(closedUrl, true));
    EXPECT_TRUE(rig.pumpUntil([&] { return rig.player->playbackSignal() != PlaybackSignal::kNone; }, 5s));
    EXPECT_EQ(rig.player->playbackSignal(), PlaybackSignal::kOpenFailed);
    ASSERT_TRUE(rig.board.error().has_value());
    EXPECT_EQ(rig.board.error()->text, "Connection refused\n");
    EXPECT_FALSE(rig.player->isPlaying());  // released, as a file that cannot be opened
    EXPECT_FALSE(rig.player->isEndless());
}
