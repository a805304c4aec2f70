#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "audio/AudioEngine.h"
#include "audio/SongPlayer.h"
#include "library/StatusBoard.h"
#include "support/Polling.h"
#include "support/TestHttpServer.h"

using namespace std::chrono_literals;

// The process tests play stations through the whole player; this one holds the engine's
// caller to account for a station that answers nothing at all.
TEST(Stream, AStalledStationNeverBlocksTheCaller) {
    TestHttpServer silent([](TCPSocket& connection, const std::string&) { awaitClientClose(connection, 10s); });
    setenv("VELMORANT_AUDIO", "null", 1);
    StatusBoard board;
    const std::unique_ptr<AudioEngine> engine = createAudioEngine(board);
    ASSERT_TRUE(engine->init().ok);
    std::unique_ptr<SongPlayer> player = engine->createSongPlayer();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(player->open(silent.url("/radio"), true));
    EXPECT_FALSE(waitUntil([&] {
        engine->update();
        return player->positionMs() > 0 || player->bufferedPercent() > 0;
    }, 300ms, 5ms));
    player->stop();
    player->release();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    player.reset();
    engine->close();
}
